// Prints where MuPDF takes each link of a page: the target page's index, or -1.
// Run as: mutool run links_mupdf.js FILE PAGE
var document = new Document(scriptArgs[0]);
var links = document.loadPage(parseInt(scriptArgs[1], 10)).getLinks();
for (var i = 0; i < links.length; ++i) {
    var target = -1;
    try {
        var place = document.resolveLink(links[i].uri);
        target = typeof place === "object" ? place.page : place;
    } catch (e) {
    }
    print(target);
}
