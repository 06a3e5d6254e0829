// The body of the page: [outer HTML, inner HTML, the text a reader sees], or null.
(function () {
  var b = document.body;
  return b ? [b.outerHTML, b.innerHTML, b.innerText] : null;
})
