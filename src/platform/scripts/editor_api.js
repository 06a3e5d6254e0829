// Writes or reads a rich text editor through the editor's own objects, which live in the
// page's script world and nowhere else. Called with one array: [op, nonce, kind, text, html].
// The field and the editor container were marked with the nonce by insert_message.js; the
// texts are data.
// op "write": sets the editor's content and returns {written, how, inserted, read}, where
// inserted says which form went in ("text" as converted, or "html" rendered).
// op "read": returns what the editor will hand to its form, {value, html}, html saying
// whether the value is HTML (else markup kept as text, such as BBCode); null when the editor
// is gone.
(function (a) {
  var op = a[0], nonce = a[1], kind = a[2], text = a[3], html = a[4];

  function marked(attribute) {
    return document.querySelector('[' + attribute + '="' + CSS.escape(nonce) + '"]');
  }
  var field = marked('data-boardcast-field');
  var surface = marked('data-boardcast-editor');

  function sceditorOf() {
    return field && (field._sceditor ||
        (window.sceditor && window.sceditor.instance && window.sceditor.instance(field)));
  }
  function tinymceOf() {
    var editors = field && window.tinymce && window.tinymce.get ? window.tinymce.get() : [];
    for (var i = 0; i < editors.length; ++i) {
      if (editors[i].getElement() === field) return editors[i];
    }
    return null;
  }
  function ckeditor4Of() {
    var instances = field && window.CKEDITOR && window.CKEDITOR.instances;
    for (var name in instances || {}) {
      if (instances[name].element && instances[name].element.$ === field) return instances[name];
    }
    return null;
  }
  function ckeditor5Of() {
    var editable = surface && surface.querySelector('.ck-editor__editable');
    return (editable && editable.ckeditorInstance) || null;
  }
  function quillOf() {
    var Quill = window.Quill;
    var editor = Quill && Quill.find && surface && Quill.find(surface);
    return editor && editor.clipboard ? editor : null;
  }

  // Each editor: how to find it, and how to write and read it. A writer returns which form
  // of the message went in.
  var editors = {
    sceditor: {
      find: sceditorOf,
      // In BBCode, the source view takes the text as converted and the rich view the
      // rendered message, from which the editor writes its own BBCode; in HTML, both take
      // the rendered message.
      write: function (editor) {
        var keepsBBCode = editor.opts && editor.opts.format === 'bbcode';
        var inserted = keepsBBCode && editor.sourceMode() ? 'text' : 'html';
        if (inserted === 'text') {
          editor.val(text.replace(/\r\n?/g, '\n'));
        } else if (keepsBBCode) {
          editor.setWysiwygEditorValue(html);
        } else {
          editor.val(html);
        }
        editor.updateOriginal();
        return inserted;
      },
      read: function (editor) {
        return {value: editor.val(), html: !(editor.opts && editor.opts.format === 'bbcode')};
      }
    },
    tinymce: {
      find: tinymceOf,
      write: function (editor) {
        editor.setContent(html);
        editor.setDirty(true);
        editor.save();
        return 'html';
      },
      read: function (editor) { return {value: editor.getContent(), html: true}; }
    },
    ckeditor4: {
      find: ckeditor4Of,
      write: function (editor) {
        editor.setData(html, {callback: function () { editor.updateElement(); }});
        return 'html';
      },
      read: function (editor) { return {value: editor.getData(), html: true}; }
    },
    ckeditor5: {
      find: ckeditor5Of,
      write: function (editor) {
        editor.setData(html);
        if (editor.updateSourceElement) editor.updateSourceElement();
        return 'html';
      },
      read: function (editor) { return {value: editor.getData(), html: true}; }
    },
    quill: {
      find: quillOf,
      write: function (editor) {
        editor.setContents([]);
        editor.clipboard.dangerouslyPasteHTML(0, html, 'user');
        return 'html';
      },
      read: function (editor) { return {value: editor.root.innerHTML, html: true}; }
    }
  };

  try {
    var known = editors[kind];
    var editor = known && known.find();
    if (op === 'read') return editor ? known.read(editor) : null;
    if (!editor) return {written: false, how: ''};
    return {written: true, how: kind, inserted: known.write(editor), read: 'api'};
  } catch (e) {
    return op === 'read' ? null : {written: false, how: ''};
  }
})
