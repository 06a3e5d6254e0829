// Writes a message into a page, in our own script world. Called with one array:
//   [mode, form, field, textArea, text, html, nonce, look]
// The box the user works in comes first: the focused message box, else the one shown last
// (a composer opened over the page), when it was shown after the page came. Without one:
// mode "field": document.forms[form] and there the field-th of its input and textarea
// elements in document order; textArea says the scans found a text area there.
// mode "composer": the page's one visible message box, when there is exactly one.
// look: nothing is written; the answer is {found, markdown}, whether there is a box to
// write into and whether it belongs to a composer that writes Markdown.
// text is the message as the chosen format converted it (for plain fields and editors that
// keep markup as text), html the message rendered with its links as links (for editors of
// rendered text); both are data, never code.
// Returns {written, how, inserted, read}: inserted says which form went in ("text" or
// "html"), read "dom" when the editable box, marked by nonce, is to be read back. For an
// editor that only its own script objects can drive it returns {editor: kind, html} with the
// field and the editor marked by nonce for the main-world call.
(function (a) {
  var mode = a[0], formIndex = a[1], fieldIndex = a[2], wantTextArea = a[3];
  var text = a[4], nonce = a[6], look = a[7] === true;
  var html = sanitized(a[5]);
  var MARKS = ['data-boardcast-field', 'data-boardcast-editor', 'data-boardcast-read'];

  // The HTML without anything that runs or loads: parsed in an inert document, scripts,
  // frames, embedded objects and form controls dropped, event handlers and script
  // addresses removed.
  function sanitized(markup) {
    var doc = new DOMParser().parseFromString('<body>' + markup, 'text/html');
    var drop = doc.body.querySelectorAll(
        'script, style, iframe, frame, object, embed, link, meta, base, form, input, ' +
        'textarea, select, button, svg, math, template, noscript');
    for (var i = 0; i < drop.length; ++i) drop[i].remove();
    var all = doc.body.querySelectorAll('*');
    for (var j = 0; j < all.length; ++j) {
      var attributes = Array.prototype.slice.call(all[j].attributes);
      for (var k = 0; k < attributes.length; ++k) {
        var name = attributes[k].name.toLowerCase();
        var value = attributes[k].value.replace(/[\s\u0000-\u001f]/g, '').toLowerCase();
        if (name.indexOf('on') === 0 || /^(javascript|vbscript|data):/.test(value)) {
          all[j].removeAttribute(attributes[k].name);
        }
      }
    }
    return doc.body.innerHTML;
  }

  function rendered(el) {
    if (!el || !el.isConnected || el.hidden || el.getClientRects().length === 0) return false;
    var style = el.ownerDocument.defaultView.getComputedStyle(el);
    return style.visibility !== 'hidden' && style.display !== 'none';
  }

  function editableRoot(el) {
    return el.isContentEditable && !(el.parentElement && el.parentElement.isContentEditable);
  }

  function designModeBody(frame) {
    try {
      var doc = frame.contentDocument;
      if (doc && doc.body && (doc.designMode === 'on' || doc.body.isContentEditable)) {
        return doc.body;
      }
    } catch (e) {
      // A frame of another origin is no editor of this page.
    }
    return null;
  }

  // Editors that keep their text in their own objects and write the field from there when
  // the form is sent. Each is known by the container it puts beside the field.
  var KNOWN = [
    ['sceditor', '.sceditor-container'],
    ['tinymce', '.tox-tinymce'],
    ['ckeditor4', '.cke'],
    ['ckeditor5', '.ck-editor'],
    ['quill', '.ql-container']
  ];

  // The editor in scope: a known editor's container, else a frame in design mode, else a
  // content-editable box; the first in page order of the first kind found.
  function editorIn(scope) {
    for (var k = 0; k < KNOWN.length; ++k) {
      var containers = scope.querySelectorAll(KNOWN[k][1]);
      for (var c = 0; c < containers.length; ++c) {
        if (rendered(containers[c])) return {kind: KNOWN[k][0], surface: containers[c]};
      }
    }
    var frames = scope.querySelectorAll('iframe');
    for (var f = 0; f < frames.length; ++f) {
      var body = rendered(frames[f]) && designModeBody(frames[f]);
      if (body) return {kind: 'designmode', editable: body};
    }
    var boxes = scope.querySelectorAll('[contenteditable]');
    for (var b = 0; b < boxes.length; ++b) {
      if (editableRoot(boxes[b]) && rendered(boxes[b])) {
        return {kind: 'contenteditable', editable: boxes[b]};
      }
    }
    return null;
  }

  // The editor that stands in for a hidden field: the nearest one around it, looking
  // outwards no further than its form.
  function editorFor(field) {
    var limit = field.form || field.ownerDocument.body;
    for (var node = field.parentElement; node; node = node.parentElement) {
      var found = editorIn(node);
      if (found) return found;
      if (node === limit) break;
    }
    return null;
  }

  // A text area of the editor's own (SCEditor keeps one for its source view, ahead of the
  // form's field), or any part of its surface, stands for the editor; the form's field is
  // the one beside its container.
  function editorAround(field) {
    for (var k = 0; k < KNOWN.length; ++k) {
      var container = field.parentElement && field.parentElement.closest(KNOWN[k][1]);
      if (container) {
        var twin = [container.nextElementSibling, container.previousElementSibling].filter(
            function (el) { return el && el.tagName === 'TEXTAREA'; })[0];
        return {kind: KNOWN[k][0], surface: container, field: twin || null};
      }
    }
    return null;
  }

  function setFieldValue(el, value) {
    if (el.disabled || el.readOnly) return false;
    el.value = value;
    el.dispatchEvent(new Event('input', {bubbles: true}));
    el.dispatchEvent(new Event('change', {bubbles: true}));
    return true;
  }

  // The rendered message as plain text, for editors that take only that from a paste.
  function plainOf(markup) {
    var doc = new DOMParser().parseFromString('<body>' + markup, 'text/html');
    var breaks = doc.body.querySelectorAll('br');
    for (var i = 0; i < breaks.length; ++i) breaks[i].replaceWith('\n');
    var paragraphs = doc.body.querySelectorAll('p');
    for (var j = 0; j < paragraphs.length; ++j) paragraphs[j].append('\n\n');
    return doc.body.textContent.replace(/\n+$/, '');
  }

  // Replaces an editable box's content as a user's paste over a selection of everything
  // would: an editor that handles pastes (ProseMirror, TipTap, Froala and the like) takes
  // the HTML through its own clipboard parser and writes its own markup from it; a plain
  // editable box gets it through the browser's editing, so that its handlers hear it.
  function writeEditable(box, markup) {
    var doc = box.ownerDocument;
    var win = doc.defaultView;
    if (doc !== document && win) win.focus();
    box.focus();
    var range = doc.createRange();
    range.selectNodeContents(box);
    var selection = win.getSelection();
    selection.removeAllRanges();
    selection.addRange(range);
    // Editors learn of a new selection from this event, which would otherwise come later.
    doc.dispatchEvent(new Event('selectionchange'));
    var data = new DataTransfer();
    data.setData('text/html', markup);
    data.setData('text/plain', plainOf(markup));
    var paste = new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true});
    if (!box.dispatchEvent(paste)) return true;  // the editor took it
    if (doc.execCommand('insertHTML', false, markup)) return true;
    box.innerHTML = markup;
    box.dispatchEvent(new Event('input', {bubbles: true}));
    return true;
  }

  function written(how, inserted, read) {
    return {written: true, how: how, inserted: inserted, read: read || ''};
  }
  function failed() { return {written: false, how: ''}; }

  // Marks what the read-back after the write reads: the box, or the frame it lives in.
  function markForReading(box) {
    var frame = box.ownerDocument === document ? box : box.ownerDocument.defaultView.frameElement;
    if (frame) frame.setAttribute('data-boardcast-read', nonce);
  }

  function writeBox(box, how) {
    if (!writeEditable(box, html)) return failed();
    markForReading(box);
    return written(how, 'html', 'dom');
  }

  function insertThroughEditor(editor, field) {
    if (editor.editable) return writeBox(editor.editable, editor.kind);
    if (field) field.setAttribute('data-boardcast-field', nonce);
    editor.surface.setAttribute('data-boardcast-editor', nonce);
    return {editor: editor.kind, html: html};
  }

  // A write into one box, done only when called: the box is what look reports on.
  function plan(box, write) { return {box: box, write: write}; }

  function fieldPlan(field, how) {
    return plan(field, function () {
      return setFieldValue(field, text) ? written(how, 'text') : failed();
    });
  }

  // A message box as the user sees one: a text area that takes typing, the root of an
  // editable box, or the frame of an editor's design-mode document.
  function messageBox(el) {
    if (!el || !el.tagName || !rendered(el)) return false;
    if (el.tagName === 'TEXTAREA') return !el.disabled && !el.readOnly;
    if (el.tagName === 'IFRAME') return !!designModeBody(el);
    return editableRoot(el);
  }

  // The box the user works in: the focused one; else whichever came last of the box focused
  // last and a box shown after the page came (box_tracker.js keeps both).
  function userBox() {
    if (messageBox(document.activeElement)) return document.activeElement;
    var boxes = window.boardcastBoxes;
    if (!boxes) return null;
    boxes.scan();  // a composer that opened a moment ago counts
    var best = messageBox(boxes.focused) ? boxes.focused : null;
    var bestAt = best ? boxes.focusedAt : boxes.loaded;
    var all = document.querySelectorAll('textarea, [contenteditable], iframe');
    for (var i = 0; i < all.length; ++i) {
      var at = boxes.shown.get(all[i]) || 0;
      if (at > bestAt && messageBox(all[i])) {
        best = all[i];
        bestAt = at;
      }
    }
    return best;
  }

  function boxPlan(box) {
    var owner = editorAround(box);
    if (owner) return plan(box, function () { return insertThroughEditor(owner, owner.field); });
    if (box.tagName === 'TEXTAREA') return fieldPlan(box, 'field');
    if (box.tagName === 'IFRAME') {
      return plan(box, function () { return writeBox(designModeBody(box), 'designmode'); });
    }
    var container = box.closest('.ql-container');
    if (container) {
      return plan(box, function () {
        return insertThroughEditor({kind: 'quill', surface: container}, null);
      });
    }
    return plan(box, function () { return writeBox(box, 'contenteditable'); });
  }

  function fieldTarget() {
    var form = document.forms.item(formIndex);
    if (!form) return null;
    // The same controls the scans count: input and textarea tags, in document order.
    var field = form.querySelectorAll('input, textarea').item(fieldIndex);
    if (!field || field.tagName !== (wantTextArea ? 'TEXTAREA' : 'INPUT')) return null;
    var owner = editorAround(field);
    if (owner) {
      return plan(field, function () { return insertThroughEditor(owner, owner.field); });
    }
    if (field.tagName === 'TEXTAREA' && !rendered(field)) {
      var editor = editorFor(field);
      if (editor) {
        return plan(editor.editable || editor.surface, function () {
          return insertThroughEditor(editor, field);
        });
      }
    }
    return fieldPlan(field, 'field');
  }

  function composerTarget() {
    var candidates = Array.prototype.filter.call(
        document.querySelectorAll('textarea, [contenteditable]'), messageBox);
    if (candidates.length !== 1) return null;
    return candidates[0].tagName === 'TEXTAREA' ? fieldPlan(candidates[0], 'composer')
                                                : boxPlan(candidates[0]);
  }

  // Composers whose forum renders Markdown, each known by what its engine's own templates
  // put around the box: NodeBB's composer and quick reply (the markdown plugin is its
  // default), Discourse's editor, Flarum's composer, and the Markdown editors EasyMDE,
  // SimpleMDE and Toast UI.
  var MARKDOWN = [
    '[component="composer"]', '[component="topic/quickreply/container"]', '.d-editor',
    '#reply-control', '.Composer', '.EasyMDEContainer', '.editor-toolbar + .CodeMirror',
    '.toastui-editor-defaultUI'
  ].join(', ');

  function writesMarkdown(box) {
    var el = box.ownerDocument === document ? box : box.ownerDocument.defaultView.frameElement;
    return !!(el && el.closest(MARKDOWN));
  }

  try {
    // Marks of an earlier write are of no use any more.
    for (var m = 0; m < MARKS.length; ++m) {
      var marked = document.querySelectorAll('[' + MARKS[m] + ']');
      for (var n = 0; n < marked.length; ++n) marked[n].removeAttribute(MARKS[m]);
    }
    var chosen = userBox();
    var target = chosen ? boxPlan(chosen) : mode === 'composer' ? composerTarget() : fieldTarget();
    if (look) return {found: !!target, markdown: !!target && writesMarkdown(target.box)};
    return target ? target.write() : failed();
  } catch (e) {
    return look ? {found: false, markdown: false} : failed();
  }
})
