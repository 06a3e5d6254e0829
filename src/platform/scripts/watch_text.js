// Watches the page, in our own script world, for a text to appear in what the page adds or
// changes from now on, outside every editable field and every editor's preview: the sign of
// a post that a composer sent by script and the page then showed without loading. Called
// with [text, nonce, ms]; text "" stops an earlier watch. Seen once, it reports the page's
// canonical address (else its own) through the web channel and stops; it also stops after
// ms, and with the document.
(function (a) {
  var wanted = fold(a[0]), nonce = a[1];
  if (window.boardcastWatch) window.boardcastWatch.stop();
  window.boardcastWatch = null;
  if (!wanted) return false;

  // Fields, editors, and the previews that composers render from them as the user types.
  var EDITING = [
    'textarea', 'input', 'select', '[contenteditable]', '[component="composer"]',
    '.composer', '#reply-control', '.d-editor-preview', '.Composer', '.sceditor-container',
    '.tox', '.cke', '.ck-editor', '.ql-container', '.EasyMDEContainer', '.editor-preview',
    '[class*="preview" i]', '[id*="preview" i]'
  ].join(', ');
  var MOST_NODES = 2000;  // looked at in one go; a page that adds more is read in parts

  function fold(t) { return String(t).replace(/[\s\u00a0]+/g, ' ').trim().toLowerCase(); }

  function shown(el) {
    if (!el.isConnected || el.getClientRects().length === 0) return false;
    var style = getComputedStyle(el);
    return style.visibility !== 'hidden' && style.display !== 'none';
  }

  // Whether el shows the text outside the editing parts inside it; walked with a list, so
  // that no depth of nesting can stop it.
  function holds(root) {
    var todo = [root];
    while (todo.length) {
      var el = todo.pop();
      if (!shown(el)) continue;
      if (!el.querySelector(EDITING)) {
        if (fold(el.innerText).indexOf(wanted) >= 0) return true;
        continue;
      }
      for (var c = el.firstElementChild; c; c = c.nextElementSibling) {
        if (!c.matches(EDITING)) todo.push(c);
      }
    }
    return false;
  }

  var pending = [], timer = 0, done = false;

  function examine() {
    timer = 0;
    var nodes = pending.splice(0, MOST_NODES);
    if (pending.length) timer = setTimeout(examine, 50);
    for (var i = 0; i < nodes.length && !done; ++i) {
      var el = nodes[i].nodeType === Node.ELEMENT_NODE ? nodes[i] : nodes[i].parentElement;
      if (el && el.isConnected && !el.closest(EDITING) && holds(el)) report();
    }
  }

  function canonical() {
    var link = document.querySelector('link[rel~="canonical" i][href]');
    return link ? link.href : '';
  }

  function report() {
    watch.stop();
    var address = canonical();
    new QWebChannel(qt.webChannelTransport, function (channel) {
      channel.objects.boardcast.postSeen(nonce, address);
    });
  }

  var observer = new MutationObserver(function (records) {
    for (var i = 0; i < records.length; ++i) {
      var r = records[i];
      if (r.type === 'characterData') {
        pending.push(r.target);
      } else {
        for (var j = 0; j < r.addedNodes.length; ++j) pending.push(r.addedNodes[j]);
      }
    }
    if (!timer && pending.length) timer = setTimeout(examine, 100);
  });
  var watch = window.boardcastWatch = {
    stop: function () {
      done = true;
      observer.disconnect();
      clearTimeout(timer);
      clearTimeout(deadline);
      pending = [];
    }
  };
  var deadline = setTimeout(watch.stop, a[2]);
  observer.observe(document.documentElement, {childList: true, subtree: true, characterData: true});
  return true;
})
