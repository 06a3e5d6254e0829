// Runs on every page in our own script world, from the moment its document is ready: keeps
// when each message box of the page was last shown and which one had the focus last, so that
// Auto-Insert can write into the box the user works in (a composer opened over the page
// rather than the quick-reply box beneath it). Nothing of it is reachable by the page.
(function () {
  if (window.boardcastBoxes) return;
  var BOXES = 'textarea, [contenteditable], iframe';
  var state = window.boardcastBoxes = {
    serial: 0,             // counts the scans and focus changes; larger is later
    loaded: 0,             // the serial of the first scan: what the page came with
    shown: new WeakMap(),  // box -> serial of the scan that first saw it shown, 0 hidden
    focused: null,         // the message box that had the focus last
    focusedAt: 0,
    scan: scan
  };
  var pending = 0;

  // Shown as a user can see and use it: laid out, visible, and big enough to type in (not a
  // one-pixel input of a code editor, nor a measuring copy).
  function shown(el) {
    if (!el.isConnected || el.hidden) return false;
    var rect = el.getBoundingClientRect();
    if (rect.width < 30 || rect.height < 14) return false;
    var style = getComputedStyle(el);
    return style.visibility !== 'hidden' && style.display !== 'none' && style.opacity !== '0';
  }

  function scan() {
    pending = 0;
    var serial = ++state.serial;
    if (!state.loaded) state.loaded = serial;
    var boxes = document.querySelectorAll(BOXES);
    for (var i = 0; i < boxes.length && i < 2000; ++i) {
      var box = boxes[i];
      if (!shown(box)) {
        state.shown.set(box, 0);
      } else if (!state.shown.get(box)) {
        state.shown.set(box, serial);
      }
    }
  }

  function later() {
    if (!pending) pending = setTimeout(scan, 150);
  }

  scan();
  new MutationObserver(later).observe(document.documentElement, {
    childList: true, subtree: true, attributes: true,
    attributeFilter: ['style', 'class', 'hidden', 'open']
  });
  document.addEventListener('focusin', function (event) {
    var el = event.target;
    if (el && el.matches && el.matches(BOXES)) {
      state.focused = el;
      state.focusedAt = ++state.serial;
    }
  }, true);
})();
