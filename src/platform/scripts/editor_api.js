// Sets a rich text editor's content through the editor's own objects, which live in the
// page's script world and nowhere else. Called with one array: [nonce, kind, text, html].
// The field and the editor container were marked with the nonce by insert_message.js; the
// texts are data. Returns {written, how}.
(function (a) {
  var nonce = a[0], kind = a[1], text = a[2], html = a[3];

  function take(attribute) {
    var el = document.querySelector('[' + attribute + '="' + CSS.escape(nonce) + '"]');
    if (el) el.removeAttribute(attribute);
    return el;
  }
  var field = take('data-boardcast-field');
  var surface = take('data-boardcast-editor');

  var writers = {
    sceditor: function () {
      var editor = field && (field._sceditor ||
          (window.sceditor && window.sceditor.instance && window.sceditor.instance(field)));
      if (!editor) return false;
      // An editor in BBCode keeps the text as it is (the message was converted for it);
      // one in HTML gets the HTML.
      var keepsBBCode = editor.opts && editor.opts.format === 'bbcode';
      editor.val(keepsBBCode ? text.replace(/\r\n?/g, '\n') : html);
      editor.updateOriginal();
      return true;
    },
    tinymce: function () {
      var manager = window.tinymce;
      if (!field || !manager || !manager.get) return false;
      var editors = manager.get();
      for (var i = 0; i < editors.length; ++i) {
        if (editors[i].getElement() === field) {
          editors[i].setContent(html);
          editors[i].setDirty(true);
          editors[i].save();
          return true;
        }
      }
      return false;
    },
    ckeditor4: function () {
      var instances = window.CKEDITOR && window.CKEDITOR.instances;
      if (!field || !instances) return false;
      for (var name in instances) {
        var editor = instances[name];
        if (editor.element && editor.element.$ === field) {
          editor.setData(html, {callback: function () { editor.updateElement(); }});
          return true;
        }
      }
      return false;
    },
    ckeditor5: function () {
      var editable = surface && surface.querySelector('.ck-editor__editable');
      var editor = editable && editable.ckeditorInstance;
      if (!editor) return false;
      editor.setData(html);
      if (editor.updateSourceElement) editor.updateSourceElement();
      return true;
    },
    quill: function () {
      var Quill = window.Quill;
      var editor = Quill && Quill.find && surface && Quill.find(surface);
      if (!editor || !editor.clipboard) return false;
      editor.setContents([]);
      editor.clipboard.dangerouslyPasteHTML(0, html, 'user');
      return true;
    }
  };

  try {
    var writer = writers[kind];
    return writer && writer() ? {written: true, how: kind} : {written: false, how: ''};
  } catch (e) {
    return {written: false, how: ''};
  }
})
