// The body of the page: [outer HTML, inner HTML, the text a reader sees, the address the page
// names as its canonical one or ""], or null.
(function () {
  var b = document.body;
  var link = document.querySelector('link[rel~="canonical" i][href]');
  return b ? [b.outerHTML, b.innerHTML, b.innerText, link ? link.href : ''] : null;
})
