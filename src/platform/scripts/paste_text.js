// Inserts a text at the caret of the page element that has the keyboard focus, as a paste
// would, without the clipboard. Called with [text]; true when it went in.
(function (a) {
  try {
    var t = a[0];
    // Follow the focus into frames of the same origin; others give no document.
    var e = document.activeElement;
    while (e && e.contentDocument && e.contentDocument.activeElement) {
      e = e.contentDocument.activeElement;
    }
    if (!e) return false;
    var textInput = e.tagName === 'INPUT' &&
        /^(text|search|url|tel|email|password|number)$/.test(e.type);
    if (e.tagName === 'TEXTAREA' || textInput) {
      if (e.disabled || e.readOnly) return false;
      // email and number inputs have no selection; the text goes at their end.
      var start = e.selectionStart;
      if (typeof start === 'number') {
        e.setRangeText(t, start, e.selectionEnd, 'end');
      } else {
        e.value += t;
      }
      e.dispatchEvent(new Event('input', {bubbles: true}));
      e.dispatchEvent(new Event('change', {bubbles: true}));
      return true;
    }
    if (e.isContentEditable) return e.ownerDocument.execCommand('insertText', false, t) === true;
    return false;
  } catch (x) {
    return false;
  }
})
