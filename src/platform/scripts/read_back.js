// Reads back what an editor of rendered text holds, in our own script world. Called with one
// array: [nonce, value]. value is HTML that the editor gave through its own objects; when it
// is null, the editable box (or the frame of the design-mode document) marked with nonce is
// read. Returns {text, targets}: the text as a reader sees it, line breaks and block ends as
// blanks, and the targets of its links as written; null when there is nothing to read.
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

  var BLOCK = /^(P|DIV|LI|UL|OL|H[1-6]|BLOCKQUOTE|PRE|TR|TD|TH|TABLE|HR)$/;
  function textOf(node) {
    var out = [];
    (function walk(n) {
      if (n.nodeType === Node.TEXT_NODE) return out.push(n.data);
      if (n.nodeName === 'BR') return out.push('\n');
      var block = BLOCK.test(n.nodeName);
      if (block) out.push('\n');
      for (var c = n.firstChild; c; c = c.nextSibling) walk(c);
      if (block) out.push('\n');
    })(node);
    return out.join('');
  }

  try {
    var root = value === null ? markedRoot()
        : new DOMParser().parseFromString('<body>' + value, 'text/html').body;
    if (!root) return null;
    var links = root.querySelectorAll('a[href]');
    var targets = [];
    for (var i = 0; i < links.length; ++i) targets.push(links[i].getAttribute('href'));
    return {text: textOf(root), targets: targets};
  } catch (e) {
    return null;
  }
})
