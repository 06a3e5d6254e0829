// Reads back what an editor of rendered text holds, in our own script world. Called with one
// array: [nonce, value]. value is HTML that the editor gave through its own objects; when it
// is null, the editable box (or the frame of the design-mode document) marked with nonce is
// read. Returns {text, targets}: the text as a reader sees it (line breaks, blocks and
// images' alternative texts set apart by blanks), and the targets of its links completed as
// the browser follows them; null when there is nothing to read.
(function (a) {
  var nonce = a[0], value = a[1];

  function markedRoot() {
    var el = document.querySelector('[data-boardcast-read="' + CSS.escape(nonce) + '"]');
    if (!el) return null;
    if (el.tagName !== 'IFRAME') return el;
    try {
      return el.contentDocument && el.contentDocument.body;
    } catch (e) {
      return null;
    }
  }

  var BLOCK = /^(P|DIV|LI|UL|OL|H[1-6]|BLOCKQUOTE|PRE|TR|TD|TH|TABLE|HR|BR)$/;
  // Walked without recursion, so that no depth of nesting can stop it.
  function textOf(root) {
    var out = [];
    var walker = root.ownerDocument.createTreeWalker(
        root, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT);
    for (var n = walker.nextNode(); n; n = walker.nextNode()) {
      if (n.nodeType === Node.TEXT_NODE) {
        out.push(n.data);
      } else if (BLOCK.test(n.nodeName)) {
        out.push('\n');
      } else if (n.nodeName === 'IMG' && n.getAttribute('alt')) {
        out.push(' ' + n.getAttribute('alt') + ' ');
      }
    }
    return out.join('');
  }

  function completed(href, base) {
    try {
      var url = new URL(href, base).href;
      try {
        return decodeURI(url);
      } catch (e) {
        return url;
      }
    } catch (e) {
      return href;
    }
  }

  try {
    var root = value === null ? markedRoot()
        : new DOMParser().parseFromString('<body>' + value, 'text/html').body;
    if (!root) return null;
    var base = value === null ? root.ownerDocument.baseURI : document.baseURI;
    var links = root.querySelectorAll('a[href]');
    var targets = [];
    for (var i = 0; i < links.length; ++i) {
      targets.push(completed(links[i].getAttribute('href'), base));
    }
    return {text: textOf(root), targets: targets};
  } catch (e) {
    return null;
  }
})
