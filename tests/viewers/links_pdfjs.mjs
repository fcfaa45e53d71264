// Prints where pdf.js (Firefox's viewer) takes each link of a page: the target page's index,
// or -1. Run as: node links_pdfjs.mjs FILE PAGE
import { readFileSync } from "node:fs";
import { getDocument } from "pdfjs-dist/legacy/build/pdf.mjs";

const [file, pageIndex] = process.argv.slice(2);
const document = await getDocument({ data: new Uint8Array(readFileSync(file)), verbosity: 0 })
    .promise;
const page = await document.getPage(Number(pageIndex) + 1);
for (const annotation of await page.getAnnotations()) {
    if (annotation.subtype !== "Link")
        continue;
    let target = -1;
    try {
        let dest = annotation.dest;
        if (typeof dest === "string")
            dest = await document.getDestination(dest);
        if (Array.isArray(dest) && dest[0] && typeof dest[0] === "object")
            target = await document.getPageIndex(dest[0]);
        else if (Array.isArray(dest) && Number.isInteger(dest[0]))
            target = dest[0];
    } catch {
    }
    console.log(target);
}
