<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Batch</name>
    <message>
        <source>PDF missing</source>
        <translation>PDF fehlt</translation>
    </message>
    <message>
        <source>PDF older than the document</source>
        <translation>PDF älter als das Dokument</translation>
    </message>
    <message>
        <source>PDF up to date</source>
        <translation>PDF aktuell</translation>
    </message>
    <message>
        <source>Book: %1</source>
        <translation>Buch: %1</translation>
    </message>
    <message>
        <source>Blank sheets: %1</source>
        <translation>Leerseiten: %1</translation>
    </message>
    <message>
        <source>on</source>
        <translation>an</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>starts on</source>
        <translation>beginnt auf</translation>
    </message>
    <message>
        <source>blank after</source>
        <translation>Leerseite</translation>
    </message>
    <message>
        <source>bookmark</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>file</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>%1: left out, %2</source>
        <translation>%1: weggelassen, %2</translation>
    </message>
    <message>
        <source>page %1</source>
        <translation>Seite %1</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>Documents to convert:</source>
        <translation>Umzuwandelnde Dokumente:</translation>
    </message>
    <message>
        <source>No PDF file is ticked, so there is nothing to compile.</source>
        <translation>Keine PDF-Datei ist angehakt, daher gibt es nichts zusammenzustellen.</translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation>ORDNER</translation>
    </message>
    <message>
        <source>The working folder.</source>
        <translation>Der Arbeitsordner.</translation>
    </message>
    <message>
        <source>Print the ticked documents to PDF.</source>
        <translation>Die angehakten Dokumente als PDF drucken.</translation>
    </message>
    <message>
        <source>Compile the ticked PDFs into the book in &quot;PDFCompile Output&quot;.</source>
        <translation>Die angehakten PDF-Dateien zum Buch in „PDFCompile Output“ zusammenstellen.</translation>
    </message>
    <message>
        <source>Delete the PDFs that have a matching document.</source>
        <translation>Die PDF-Dateien löschen, zu denen es ein passendes Dokument gibt.</translation>
    </message>
    <message>
        <source>With --remove-converted: move the PDFs to the trash instead of deleting them.</source>
        <translation>Mit --remove-converted: die PDF-Dateien in den Papierkorb verschieben, statt sie zu löschen.</translation>
    </message>
    <message>
        <source>Change nothing; print the book&apos;s map and which documents lack an up-to-date PDF.</source>
        <translation>Nichts ändern; den Aufbau des Buchs ausgeben und welche Dokumente keine aktuelle PDF-Datei haben.</translation>
    </message>
    <message>
        <source>Add a blank sheet after a document that ends on an odd page (stored for the folder).</source>
        <translation>Eine Leerseite nach einem Dokument einfügen, das auf einer ungeraden Seite endet (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Add no blank sheets (stored for the folder).</source>
        <translation>Keine Leerseiten einfügen (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Make each blank sheet the size and orientation of the page before it (stored for the folder).</source>
        <translation>Jede Leerseite in Größe und Ausrichtung der Seite davor anlegen (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Make every blank sheet A4, as empty_page.pdf is (stored for the folder).</source>
        <translation>Jede Leerseite in A4 anlegen, wie empty_page.pdf (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>With --convert: only the documents whose PDF is missing or older than the document.</source>
        <translation>Mit --convert: nur die Dokumente, deren PDF-Datei fehlt oder älter als das Dokument ist.</translation>
    </message>
    <message>
        <source>The kinds of document to list and convert, from doc, docx, docm, odt and rtf, e.g. doc,docx (stored for the folder).</source>
        <translation>Die aufzulistenden und umzuwandelnden Dokumentarten aus doc, docx, docm, odt und rtf, etwa doc,docx (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>TYPES</source>
        <translation>ARTEN</translation>
    </message>
    <message>
        <source>Put each PDF&apos;s own bookmarks under its bookmark in the book (stored for the folder).</source>
        <translation>Die eigenen Lesezeichen jeder PDF-Datei im Buch unter ihr Lesezeichen stellen (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>One bookmark per PDF, its own left out (stored for the folder).</source>
        <translation>Ein Lesezeichen je PDF-Datei, ihre eigenen weggelassen (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>The book&apos;s file name (stored for the folder).</source>
        <translation>Der Dateiname des Buchs (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source> (see --help)</source>
        <translation> (siehe --help)</translation>
    </message>
    <message>
        <source>give exactly one FOLDER</source>
        <translation>geben Sie genau einen ORDNER an</translation>
    </message>
    <message>
        <source>--plan changes nothing, so it cannot be given with a job</source>
        <translation>--plan ändert nichts und kann daher nicht mit einem Auftrag angegeben werden</translation>
    </message>
    <message>
        <source>give --blank-sheets or --no-blank-sheets, not both</source>
        <translation>geben Sie --blank-sheets oder --no-blank-sheets an, nicht beide</translation>
    </message>
    <message>
        <source>give --fit-blank-sheets or --no-fit-blank-sheets, not both</source>
        <translation>geben Sie --fit-blank-sheets oder --no-fit-blank-sheets an, nicht beide</translation>
    </message>
    <message>
        <source>--trash goes with --remove-converted</source>
        <translation>--trash gehört zu --remove-converted</translation>
    </message>
    <message>
        <source>--changed-only goes with --convert</source>
        <translation>--changed-only gehört zu --convert</translation>
    </message>
    <message>
        <source>--document-types: %1 is not one of doc, docx, docm, odt, rtf</source>
        <translation>--document-types: %1 ist keine von doc, docx, docm, odt, rtf</translation>
    </message>
    <message>
        <source>give --keep-bookmarks or --no-keep-bookmarks, not both</source>
        <translation>geben Sie --keep-bookmarks oder --no-keep-bookmarks an, nicht beide</translation>
    </message>
    <message>
        <source>is not a folder that can be read</source>
        <translation>ist kein lesbarer Ordner</translation>
    </message>
    <message>
        <source>no such folder</source>
        <translation>Ordner existiert nicht</translation>
    </message>
    <message>
        <source>the folder&apos;s ignore lists cannot be used, so nothing was done</source>
        <translation>die Ignorierlisten des Ordners sind nicht nutzbar, daher wurde nichts getan</translation>
    </message>
    <message>
        <source>No trash could be had for the folder, so the PDFs were deleted.</source>
        <translation>Für den Ordner war kein Papierkorb verfügbar, daher wurden die PDF-Dateien gelöscht.</translation>
    </message>
    <message>
        <source>Not every PDF file could be deleted:</source>
        <translation>Nicht jede PDF-Datei konnte gelöscht werden:</translation>
    </message>
    <message>
        <source>convert</source>
        <translation>umwandeln</translation>
    </message>
    <message>
        <source>Not every document was converted to PDF:</source>
        <translation>Nicht jedes Dokument wurde in PDF umgewandelt:</translation>
    </message>
    <message>
        <source>No document was converted to PDF:</source>
        <translation>Kein Dokument wurde in PDF umgewandelt:</translation>
    </message>
    <message>
        <source>compile</source>
        <translation>zusammenstellen</translation>
    </message>
    <message>
        <source>No book was made.</source>
        <translation>Es wurde kein Buch erstellt.</translation>
    </message>
    <message>
        <source>The book was made, but not everything went well:</source>
        <translation>Das Buch wurde erstellt, aber nicht alles ging gut:</translation>
    </message>
    <message>
        <source>Size: about %1</source>
        <translation>Größe: etwa %1</translation>
    </message>
    <message>
        <source>Write the book for fast web view, linearized (stored for the folder).</source>
        <translation>Das Buch für schnelle Webanzeige linearisiert schreiben (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Write the book without linearizing it (stored for the folder).</source>
        <translation>Das Buch ohne Linearisierung schreiben (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>The book&apos;s size: %1</source>
        <translation>Größe des Buchs: %1</translation>
    </message>
    <message>
        <source>Runs Quirefold&apos;s jobs on FOLDER without a window. The ticks are those the window shows at start-up: every file except those named in the folder&apos;s ignore lists. Several jobs run in the order remove, convert, compile.

The choices marked &quot;stored for the folder&quot; go into the folder&apos;s Quirefold.INI when a job runs, as the window&apos;s runs store them, and hold for the window and later runs; --plan stores nothing, and a value that is refused is never stored.</source>
        <translation>Führt die Aufträge von Quirefold ohne Fenster auf ORDNER aus. Angehakt ist, was das Fenster beim Start anhakt: jede Datei außer denen, die in den Ignorierlisten des Ordners stehen. Mehrere Aufträge laufen in der Reihenfolge Entfernen, Umwandeln, Zusammenstellen.

Die mit „für den Ordner gespeichert“ bezeichneten Einstellungen kommen in die Quirefold.INI des Ordners, wenn ein Auftrag läuft, wie die Läufe des Fensters sie speichern, und gelten dann für das Fenster und spätere Läufe; --plan speichert nichts, und ein abgelehnter Wert wird nie gespeichert.</translation>
    </message>
    <message>
        <source>Say no progress and no notes on standard error; problems are still said.</source>
        <translation>Auf der Standardfehlerausgabe weder Fortschritt noch Hinweise ausgeben; Probleme werden weiterhin gemeldet.</translation>
    </message>
    <message>
        <source>--output: &quot;%1&quot; is not a plain file name such as Handbook.pdf</source>
        <translation>--output: „%1“ ist kein einfacher Dateiname wie Handbuch.pdf</translation>
    </message>
    <message>
        <source>The folder&apos;s book name &quot;%1&quot; (OutputName in %2) is not a plain file name, so no book was made; give one with --output NAME.</source>
        <translation>Der Buchname „%1“ des Ordners (OutputName in %2) ist kein einfacher Dateiname, daher wurde kein Buch erstellt; geben Sie einen mit --output NAME an.</translation>
    </message>
    <message>
        <source>Print one JSON document on standard output, and nothing else: the book, its documents, the converted and deleted files and the problems (see the manual page). Results for people go to standard error.</source>
        <translation>Ein JSON-Dokument auf der Standardausgabe ausgeben und sonst nichts: das Buch, seine Dokumente, die umgewandelten und gelöschten Dateien und die Probleme (siehe Handbuchseite). Ergebnisse für Menschen gehen auf die Standardfehlerausgabe.</translation>
    </message>
    <message>
        <source>With --compile and/or --convert --changed-only: run once, then again whenever the folder&apos;s documents or PDFs change, until SIGINT or SIGTERM. With --json, one line of JSON per run.</source>
        <translation>Mit --compile und/oder --convert --changed-only: einmal laufen, dann jedes Mal wieder, wenn sich die Dokumente oder PDF-Dateien des Ordners ändern, bis SIGINT oder SIGTERM. Mit --json eine Zeile JSON je Lauf.</translation>
    </message>
    <message>
        <source>--watch goes with --compile and --convert --changed-only only</source>
        <translation>--watch gehört nur zu --compile und --convert --changed-only</translation>
    </message>
    <message>
        <source>Watching %1 for changes to its documents and PDFs.</source>
        <translation>%1 wird auf Änderungen an seinen Dokumenten und PDF-Dateien beobachtet.</translation>
    </message>
    <message>
        <source>%1: the folder was moved or deleted, so it is no longer watched</source>
        <translation>%1: der Ordner wurde verschoben oder gelöscht und wird daher nicht mehr beobachtet</translation>
    </message>
    <message>
        <source>the system watches too many folders already (fs.inotify.max_user_watches)</source>
        <translation>das System beobachtet schon zu viele Ordner (fs.inotify.max_user_watches)</translation>
    </message>
    <message>
        <source>Put an index in front of the book: its title, then each document with the number of its first page, each line a link (stored for the folder).</source>
        <translation>Ein Inhaltsverzeichnis vor das Buch stellen: sein Titel, dann jedes Dokument mit der Nummer seiner ersten Seite, jede Zeile ein Link (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Put no index in front of the book (stored for the folder).</source>
        <translation>Kein Inhaltsverzeichnis vor das Buch stellen (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Stamp every page&apos;s number at its bottom right, as FORMAT says: {n} the number, {n:6} the number zero-padded to six digits, {total} the count of pages, e.g. &quot;Page {n} of {total}&quot; or &quot;ABC{n:6}&quot;. The book&apos;s page labels and bookmarks say the same numbers (stored for the folder).</source>
        <translation>Jede Seite unten rechts mit ihrer Nummer versehen, wie FORMAT sagt: {n} die Nummer, {n:6} die Nummer mit Nullen auf sechs Stellen aufgefüllt, {total} die Zahl der Seiten, etwa „Seite {n} von {total}“ oder „ABC{n:6}“. Die Seitenbeschriftungen und Lesezeichen des Buchs nennen dieselben Nummern (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>FORMAT</source>
        <translation>FORMAT</translation>
    </message>
    <message>
        <source>Stamp no page numbers (stored for the folder).</source>
        <translation>Keine Seitennummern aufbringen (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>What each document&apos;s bookmark says: short, its file name cut before the first dot (the default); name, its file name without the extension; title, the PDF&apos;s own title where it has one (stored for the folder).</source>
        <translation>Was das Lesezeichen jedes Dokuments sagt: short, sein Dateiname bis zum ersten Punkt (die Vorgabe); name, sein Dateiname ohne Endung; title, der eigene Titel der PDF-Datei, wo sie einen hat (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>KIND</source>
        <translation>ART</translation>
    </message>
    <message>
        <source>give --index-page or --no-index-page, not both</source>
        <translation>geben Sie --index-page oder --no-index-page an, nicht beide</translation>
    </message>
    <message>
        <source>give --page-numbers or --no-page-numbers, not both</source>
        <translation>geben Sie --page-numbers oder --no-page-numbers an, nicht beide</translation>
    </message>
    <message>
        <source>--page-numbers: &quot;%1&quot; %2</source>
        <translation>--page-numbers: „%1“ %2</translation>
    </message>
    <message>
        <source>--bookmark-titles: %1 is not one of short, name, title</source>
        <translation>--bookmark-titles: %1 ist keines von short, name, title</translation>
    </message>
    <message>
        <source>Page numbers: %1</source>
        <translation>Seitennummern: %1</translation>
    </message>
    <message>
        <source>page %1 (%2)</source>
        <translation>Seite %1 (%2)</translation>
    </message>
    <message>
        <source>The folder&apos;s page numbers &quot;%1&quot; (PageNumbers in %2) cannot be used: the format %3. No book was made; give a format with --page-numbers.</source>
        <translation>Die Seitennummern „%1“ des Ordners (PageNumbers in %2) sind nicht verwendbar: das Format %3. Es wurde kein Buch erstellt; geben Sie ein Format mit --page-numbers an.</translation>
    </message>
    <message>
        <source>Total: %1 (%2, %3)</source>
        <translation>Gesamt: %1 (%2, %3)</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n Seite</numerusform>
            <numerusform>%n Seiten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n document(s)</source>
        <translation>
            <numerusform>%n Dokument</numerusform>
            <numerusform>%n Dokumente</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n blank sheet(s)</source>
        <translation>
            <numerusform>%n Leerseite</numerusform>
            <numerusform>%n Leerseiten</numerusform>
        </translation>
    </message>
    <message>
        <source>The book&apos;s title, at the head of its index and in its document properties; empty for the folder&apos;s name, the default (stored for the folder).</source>
        <translation>Der Titel des Buchs, über seinem Inhaltsverzeichnis und in seinen Dokumenteigenschaften; leer für den Namen des Ordners, die Voreinstellung (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>TITLE</source>
        <translation>TITEL</translation>
    </message>
    <message>
        <source>The order of the lists, and so of the book: alphabetical (the default), or natural, with numbers by their value, 2 before 10 (stored for the folder).</source>
        <translation>Die Reihenfolge der Listen und damit des Buchs: alphabetical (alphabetisch, die Voreinstellung) oder natural (natürlich, Zahlen nach ihrem Wert, 2 vor 10) (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>ORDER</source>
        <translation>REIHENFOLGE</translation>
    </message>
    <message>
        <source>--list-order: %1 is not one of alphabetical, natural</source>
        <translation>--list-order: %1 ist keins von alphabetical, natural</translation>
    </message>
    <message>
        <source>Make scanned pages searchable in the book with OCRmyPDF; the PDFs stay as they are (stored for the folder).</source>
        <translation>Gescannte Seiten im Buch mit OCRmyPDF durchsuchbar machen; die PDFs bleiben, wie sie sind (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Take scanned pages as they are (stored for the folder).</source>
        <translation>Gescannte Seiten so übernehmen, wie sie sind (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>give --ocr or --no-ocr, not both</source>
        <translation>geben Sie --ocr oder --no-ocr an, nicht beides</translation>
    </message>
    <message>
        <source>Scanned pages made searchable: %1</source>
        <translation>Durchsuchbar gemachte gescannte Seiten: %1</translation>
    </message>
    <message>
        <source>Cut the book into volumes of at most LIMIT, &quot;300 pages&quot; or &quot;20 MB&quot;, between documents, named &quot;NAME (Volume 1 of 3).pdf&quot; (stored for the folder).</source>
        <translation>Das Buch zwischen Dokumenten in Bände von höchstens LIMIT teilen, &quot;300 pages&quot; oder &quot;20 MB&quot;, benannt &quot;NAME (Volume 1 of 3).pdf&quot; (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>LIMIT</source>
        <translation>LIMIT</translation>
    </message>
    <message>
        <source>Make one book, not volumes (stored for the folder).</source>
        <translation>Ein Buch erstellen, keine Bände (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>give --volume-limit or --no-volumes, not both</source>
        <translation>geben Sie --volume-limit oder --no-volumes an, nicht beides</translation>
    </message>
    <message>
        <source>--volume-limit: &quot;%1&quot; %2</source>
        <translation>--volume-limit: &quot;%1&quot; %2</translation>
    </message>
    <message>
        <source>Volumes of at most %1:</source>
        <translation>Bände von höchstens %1:</translation>
    </message>
    <message>
        <source>Stopped watching %1.</source>
        <translation>%1 wird nicht mehr überwacht.</translation>
    </message>
    <message>
        <source>Change nothing; list what a filing portal usually refuses in the book: page sizes, fonts not embedded, forms, scripts, attached files, encryption, pages without text, size. Exits 1 when something is found.</source>
        <translation>Nichts ändern; auflisten, was ein Einreichungsportal im Buch gewöhnlich ablehnt: Seitengrößen, nicht eingebettete Schriften, Formulare, Skripte, angehängte Dateien, Verschlüsselung, Seiten ohne Text, Größe. Endet mit 1, wenn etwas gefunden wird.</translation>
    </message>
    <message>
        <source>
Examples:
  Print the ticked documents to PDF, then compile the book without blank sheets:
    quirefold-batch --convert --compile --no-blank-sheets -o &quot;Handbook.pdf&quot; ~/Handbook
  Keep a folder&apos;s book up to date, one line of JSON per run:
    quirefold-batch --convert --changed-only --compile --watch --json -q ~/Handover
  Say how the book would fall out, making nothing:
    quirefold-batch --plan ~/Handbook
  Say what a court&apos;s filing portal would refuse in the book:
    quirefold-batch --check-filing ~/Claim
</source>
        <translation>
Beispiele:
  Die angehakten Dokumente als PDF drucken, dann das Buch ohne Leerseiten zusammenstellen:
    quirefold-batch --convert --compile --no-blank-sheets -o &quot;Handbuch.pdf&quot; ~/Handbuch
  Das Buch eines Ordners aktuell halten, eine Zeile JSON je Lauf:
    quirefold-batch --convert --changed-only --compile --watch --json -q ~/Übergabe
  Sagen, wie das Buch ausfiele, ohne etwas zu erstellen:
    quirefold-batch --plan ~/Handbuch
  Sagen, was das Einreichungsportal eines Gerichts am Buch ablehnen würde:
    quirefold-batch --check-filing ~/Klage
</translation>
    </message>
    <message>
        <source>
Exit status:
  0  everything asked for was done
  1  some documents or PDFs failed; each is named with its reason (with --check-filing: something was found)
  2  a usage error, or a folder that cannot be read
  130, 143  stopped by SIGINT or SIGTERM (how --watch ends): the run was stopped first, and the program ended by that signal
</source>
        <translation>
Rückgabewert:
  0  alles Verlangte wurde getan
  1  manche Dokumente oder PDFs schlugen fehl; jedes wird mit seinem Grund genannt (mit --check-filing: etwas wurde gefunden)
  2  ein Aufruffehler, oder ein Ordner, der nicht gelesen werden kann
  130, 143  durch SIGINT oder SIGTERM beendet (so endet --watch): der Lauf wurde zuerst angehalten, dann endete das Programm durch dieses Signal
</translation>
    </message>
    <message>
        <source>nothing to do: give --convert, --compile, --remove-converted, --plan or --check-filing</source>
        <translation>nichts zu tun: geben Sie --convert, --compile, --remove-converted, --plan oder --check-filing an</translation>
    </message>
    <message>
        <source>--check-filing changes nothing, so it goes alone</source>
        <translation>--check-filing ändert nichts und steht daher allein</translation>
    </message>
    <message>
        <source>Pages of one size: a4 or letter scales every page of another size to fit it, proportions kept, centred, a landscape page on its landscape form; as-is keeps each page&apos;s own size, the default (stored for the folder).</source>
        <translation>Seiten einer Größe: a4 oder letter skaliert jede Seite anderer Größe darauf, Seitenverhältnis erhalten, zentriert, eine Querformatseite auf das Querformat; as-is lässt jeder Seite ihre eigene Größe, die Voreinstellung (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>SIZE</source>
        <translation>GRÖSSE</translation>
    </message>
    <message>
        <source>--page-size: %1 is not one of a4, letter, as-is</source>
        <translation>--page-size: %1 ist keins von a4, letter, as-is</translation>
    </message>
    <message>
        <source>Pages scaled to %1: %2</source>
        <translation>Auf %1 skalierte Seiten: %2</translation>
    </message>
    <message>
        <source>Make the book as a filing portal takes it: form fields flattened into their pages, scripts and attached files removed, no password or restrictions, its title shown; each change is named (stored for the folder).</source>
        <translation>Das Buch so erstellen, wie ein Einreichungsportal es annimmt: Formularfelder in ihre Seiten eingezeichnet, Skripte und angehängte Dateien entfernt, ohne Passwort oder Einschränkungen, sein Titel angezeigt; jede Änderung wird genannt (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Make the book with its forms, scripts and attached files, as its PDFs have them (stored for the folder).</source>
        <translation>Das Buch mit seinen Formularen, Skripten und angehängten Dateien erstellen, wie seine PDF-Dateien sie haben (für den Ordner gespeichert).</translation>
    </message>
    <message>
        <source>Open the PDFs that need a password with those in FILE, one line each: the PDF&apos;s file name as listed, a tab, its password. They are used for this run only and never stored; a PDF whose password is missing or wrong is left out and named.</source>
        <translation>Die PDFs, die ein Passwort brauchen, mit denen aus DATEI öffnen, je eine Zeile: der Dateiname des PDFs wie in der Liste, ein Tabulator, sein Passwort. Sie gelten nur für diesen Lauf und werden nie gespeichert; ein PDF, dessen Passwort fehlt oder falsch ist, wird weggelassen und genannt.</translation>
    </message>
    <message>
        <source>FILE</source>
        <translation>DATEI</translation>
    </message>
    <message>
        <source>--password-file: %1 cannot be read (%2)</source>
        <translation>--password-file: %1 kann nicht gelesen werden (%2)</translation>
    </message>
    <message>
        <source>--password-file: %1, line %2: not a PDF&apos;s file name, a tab and its password</source>
        <translation>--password-file: %1, Zeile %2: kein Dateiname eines PDFs, Tabulator und Passwort</translation>
    </message>
    <message>
        <source>%1: left out, %2; a page says so in its place</source>
        <translation>%1: weggelassen, %2; eine Seite an seiner Stelle sagt es</translation>
    </message>
    <message>
        <source>%1 comes before %2; give --list-order natural to order numbers by their value</source>
        <translation>%1 steht vor %2; --list-order natural ordnet Zahlen nach ihrem Wert</translation>
    </message>
    <message numerus="yes">
        <source>%n .%1 document(s) are not listed; give --document-types %2 to list them</source>
        <translation>
            <numerusform>%n .%1-Dokument ist nicht aufgeführt; --document-types %2 führt es auf</numerusform>
            <numerusform>%n .%1-Dokumente sind nicht aufgeführt; --document-types %2 führt sie auf</numerusform>
        </translation>
    </message>
    <message>
        <source>the bookmark of %1 is titled &quot;%2&quot;, cut at its first dot; give --bookmark-titles name to keep the whole name</source>
        <translation>das Lesezeichen von %1 heißt „%2“, am ersten Punkt abgeschnitten; --bookmark-titles name behält den ganzen Namen</translation>
    </message>
</context>
<context>
    <name>Book</name>
    <message>
        <source>no longer exists</source>
        <translation>existiert nicht mehr</translation>
    </message>
    <message>
        <source>is not a file</source>
        <translation>ist keine Datei</translation>
    </message>
    <message>
        <source>has page content that cannot be decoded (%1); its pages went into the book as they are, so a viewer shows them as it shows this file</source>
        <translation>hat Seiteninhalte, die nicht dekodiert werden können (%1); ihre Seiten kamen unverändert ins Buch, ein Betrachter zeigt sie also so, wie er diese Datei zeigt</translation>
    </message>
    <message>
        <source>is encrypted with a password</source>
        <translation>ist mit einem Passwort verschlüsselt</translation>
    </message>
    <message>
        <source>is damaged or not a PDF file (%1)</source>
        <translation>ist beschädigt oder keine PDF-Datei (%1)</translation>
    </message>
    <message>
        <source>could not be read (%1)</source>
        <translation>konnte nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>could not be written (%1)</source>
        <translation>konnte nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>a page&apos;s content could not be read: %1</source>
        <translation>der Inhalt einer Seite konnte nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>the output folder could not be made</source>
        <translation>der Ausgabeordner konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>is a folder, so no book can be written under that name</source>
        <translation>ist ein Ordner, daher kann unter diesem Namen kein Buch geschrieben werden</translation>
    </message>
    <message>
        <source>file is damaged</source>
        <translation>Datei ist beschädigt</translation>
    </message>
    <message>
        <source>%1; it %2</source>
        <translation>%1; sie %2</translation>
    </message>
    <message>
        <source>The book&apos;s name &quot;%1&quot; is not a plain file name, so no book was written. Type a name such as CompiledPDFDocument.pdf in &quot;Compiled PDF File Name:&quot; and compile again.</source>
        <translation>Der Name des Buchs „%1“ ist kein einfacher Dateiname, daher wurde kein Buch geschrieben. Geben Sie unter „Dateiname des Buchs:“ einen Namen wie CompiledPDFDocument.pdf ein und erstellen Sie das Buch erneut.</translation>
    </message>
    <message>
        <source>is damaged (%1), and no page of it could be read</source>
        <translation>ist beschädigt (%1), und keine ihrer Seiten konnte gelesen werden</translation>
    </message>
    <message>
        <source>has no pages</source>
        <translation>hat keine Seiten</translation>
    </message>
    <message>
        <source>%1, so blank sheets are missing</source>
        <translation>%1, daher fehlen Leerseiten</translation>
    </message>
    <message>
        <source>is damaged (%1); what could be read of it went into the book</source>
        <translation>ist beschädigt (%1); was davon gelesen werden konnte, kam ins Buch</translation>
    </message>
    <message>
        <source>has damaged bookmarks (%1), which were left out of the book</source>
        <translation>hat beschädigte Lesezeichen (%1), die im Buch weggelassen wurden</translation>
    </message>
    <message>
        <source>%1; it was left out</source>
        <translation>%1; sie wurde weggelassen</translation>
    </message>
    <message>
        <source>No PDF file is ticked, so there was nothing to compile.</source>
        <translation>Keine PDF-Datei ist angehakt, daher gab es nichts zusammenzustellen.</translation>
    </message>
    <message>
        <source>Creating Output File...</source>
        <translation>Ausgabedatei wird erstellt...</translation>
    </message>
    <message>
        <source>Compiling PDF files...</source>
        <translation>PDF-Dateien werden zusammengestellt...</translation>
    </message>
    <message>
        <source>no page could be added, so no book was written</source>
        <translation>keine Seite konnte hinzugefügt werden, daher wurde kein Buch geschrieben</translation>
    </message>
    <message>
        <source>the sources&apos; links, forms and other document data could not all be kept (%1)</source>
        <translation>die Verweise, Formulare und anderen Dokumentdaten der Quellen konnten nicht alle erhalten werden (%1)</translation>
    </message>
    <message>
        <source>the book could not be finished (%1), so no book was written</source>
        <translation>das Buch konnte nicht fertiggestellt werden (%1), daher wurde kein Buch geschrieben</translation>
    </message>
    <message>
        <source>an item links to something that is no item</source>
        <translation>ein Eintrag verweist auf etwas, das kein Eintrag ist</translation>
    </message>
    <message>
        <source>its items link round in a loop</source>
        <translation>ihre Einträge verweisen im Kreis aufeinander</translation>
    </message>
    <message>
        <source>its items nest too deep</source>
        <translation>ihre Einträge sind zu tief verschachtelt</translation>
    </message>
    <message>
        <source>%1, %2 less by keeping what the PDFs share once</source>
        <translation>%1, %2 weniger, da Gemeinsames der PDFs nur einmal gespeichert ist</translation>
    </message>
    <message>
        <source>No PDF viewer opened the book; it is at %1</source>
        <translation>Kein PDF-Betrachter hat das Buch geöffnet; es liegt unter %1</translation>
    </message>
    <message>
        <source>Dividing the book into volumes...</source>
        <translation>Das Buch wird in Bände geteilt...</translation>
    </message>
    <message numerus="yes">
        <source>%n PDF(s) alone larger than a volume may be (%2), so each makes a volume of its own: %1</source>
        <translation>
            <numerusform>%n PDF ist allein größer, als ein Band sein darf (%2), und bildet daher einen eigenen Band: %1</numerusform>
            <numerusform>%n PDFs sind jeweils allein größer, als ein Band sein darf (%2), und bilden daher je einen eigenen Band: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>no volume was put in place, so the earlier book is as it was</source>
        <translation>kein Band wurde abgelegt, das frühere Buch ist daher unverändert</translation>
    </message>
    <message>
        <source>The volume limit &quot;%1&quot; %2, so no book was written.</source>
        <translation>Die Bandgrenze &quot;%1&quot; %2, daher wurde kein Buch geschrieben.</translation>
    </message>
    <message>
        <source>is neither a number of pages (&quot;300 pages&quot;) nor of megabytes (&quot;20 MB&quot;)</source>
        <translation>ist weder eine Anzahl Seiten (&quot;300 Seiten&quot;) noch Megabyte (&quot;20 MB&quot;)</translation>
    </message>
    <message>
        <source>needs a whole number of pages, at least 1</source>
        <translation>braucht eine ganze Zahl von Seiten, mindestens 1</translation>
    </message>
    <message>
        <source>needs at least 0.001 MB</source>
        <translation>braucht mindestens 0.001 MB</translation>
    </message>
    <message>
        <source>could not be read</source>
        <translation>konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>changed while the book was being made</source>
        <translation>wurde geändert, während das Buch entstand</translation>
    </message>
    <message>
        <source>was repaired as it was read (%1); all of it went into the book</source>
        <translation>wurde beim Lesen repariert (%1); sie ging ganz in das Buch ein</translation>
    </message>
    <message>
        <source>a dictionary gives %1 twice</source>
        <translation>ein Verzeichnis gibt %1 zweimal an</translation>
    </message>
    <message>
        <source>it does not begin as a PDF file does</source>
        <translation>sie beginnt nicht wie eine PDF-Datei</translation>
    </message>
    <message>
        <source>compressed data in it is damaged</source>
        <translation>komprimierte Daten darin sind beschädigt</translation>
    </message>
    <message>
        <source>its table of contents is damaged</source>
        <translation>ihr Inhaltsverzeichnis ist beschädigt</translation>
    </message>
    <message>
        <source>objects in it are damaged or missing</source>
        <translation>Objekte darin sind beschädigt oder fehlen</translation>
    </message>
    <message>
        <source>an object in it is of the wrong kind</source>
        <translation>ein Objekt darin ist von der falschen Art</translation>
    </message>
    <message>
        <source>its form&apos;s list of fields is wrong</source>
        <translation>die Feldliste ihres Formulars ist falsch</translation>
    </message>
    <message>
        <source>it lists an object it does not hold</source>
        <translation>sie führt ein Objekt auf, das sie nicht enthält</translation>
    </message>
    <message>
        <source>an object in it does not end where it says</source>
        <translation>ein Objekt darin endet nicht dort, wo es angibt</translation>
    </message>
    <message>
        <source>The book&apos;s name &quot;%1&quot; has no .pdf extension, so viewers and filing portals may not open it; name it &quot;%1.pdf&quot; to be sure.</source>
        <translation>Der Name des Buchs „%1“ hat keine Endung .pdf, daher öffnen Betrachter und Einreichungsportale es womöglich nicht; nennen Sie es sicherheitshalber „%1.pdf“.</translation>
    </message>
    <message>
        <source>is alone larger than a volume may be (%1), so it makes a volume of its own</source>
        <translation>ist allein größer, als ein Band sein darf (%1), und bildet daher einen eigenen Band</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n Seite</numerusform>
            <numerusform>%n Seiten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n form field(s) flattened</source>
        <translation>
            <numerusform>%n Formularfeld eingezeichnet</numerusform>
            <numerusform>%n Formularfelder eingezeichnet</numerusform>
        </translation>
    </message>
    <message>
        <source>its scripts were removed</source>
        <translation>seine Skripte wurden entfernt</translation>
    </message>
    <message numerus="yes">
        <source>%n attached file(s) removed</source>
        <translation>
            <numerusform>%n angehängte Datei entfernt</numerusform>
            <numerusform>%n angehängte Dateien entfernt</numerusform>
        </translation>
    </message>
    <message>
        <source>its restrictions were not carried into the book</source>
        <translation>seine Einschränkungen wurden nicht ins Buch übernommen</translation>
    </message>
    <message>
        <source>a list of names or numbers in it is empty</source>
        <translation>eine Liste von Namen oder Nummern darin ist leer</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) shrunk by at most %1% to keep their numbers clear</source>
        <translation>
            <numerusform>%n Seite um höchstens %1 % verkleinert, damit ihre Nummer frei steht</numerusform>
            <numerusform>%n Seiten um höchstens %1 % verkleinert, damit ihre Nummern frei stehen</numerusform>
        </translation>
    </message>
    <message>
        <source>is encrypted, and the password given for it is wrong</source>
        <translation>ist verschlüsselt, und das dafür angegebene Passwort ist falsch</translation>
    </message>
    <message>
        <source>its active content was removed (%1)</source>
        <translation>seine aktiven Inhalte wurden entfernt (%1)</translation>
    </message>
</context>
<context>
    <name>Bundle</name>
    <message>
        <source>The page numbers &quot;%1&quot; cannot be used: the format %2.</source>
        <translation>Die Seitennummern „%1“ sind nicht verwendbar: das Format %2.</translation>
    </message>
    <message>
        <source>%1, so the book has no index and no page numbers</source>
        <translation>%1, daher hat das Buch weder Inhaltsverzeichnis noch Seitennummern</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>the font could not be read (%1); install fonts-dejavu-core</source>
        <translation>die Schrift konnte nicht gelesen werden (%1); installieren Sie fonts-dejavu-core</translation>
    </message>
    <message>
        <source>is not a font that can be used</source>
        <translation>ist keine verwendbare Schrift</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>kein Speicher mehr frei</translation>
    </message>
    <message>
        <source>the font could not be subset</source>
        <translation>aus der Schrift konnte keine Teilmenge gebildet werden</translation>
    </message>
    <message>
        <source>is longer than 100 characters</source>
        <translation>ist länger als 100 Zeichen</translation>
    </message>
    <message>
        <source>has a } that closes nothing; write }} for the brace itself</source>
        <translation>hat eine }, die nichts schließt; schreiben Sie }} für die Klammer selbst</translation>
    </message>
    <message>
        <source>holds a control character</source>
        <translation>enthält ein Steuerzeichen</translation>
    </message>
    <message>
        <source>%1: the digits must be 1 to 12</source>
        <translation>%1: die Stellen müssen 1 bis 12 sein</translation>
    </message>
    <message>
        <source>%1 is not one of {n}, {n:6} and {total}</source>
        <translation>%1 ist keines von {n}, {n:6} und {total}</translation>
    </message>
    <message>
        <source>has no {n} for the page&apos;s number</source>
        <translation>hat kein {n} für die Nummer der Seite</translation>
    </message>
    <message>
        <source>The pages could not all be numbered (%1).</source>
        <translation>Nicht alle Seiten konnten nummeriert werden (%1).</translation>
    </message>
    <message>
        <source>vol. %1, %2</source>
        <translation>Bd. %1, %2</translation>
    </message>
</context>
<context>
    <name>Conversion</name>
    <message>
        <source>the program &quot;%1&quot; was not found</source>
        <translation>das Programm „%1“ wurde nicht gefunden</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be started (no pipe)</source>
        <translation>„%1“ konnte nicht gestartet werden (keine Pipe)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; could not be started (%2)</source>
        <translation>„%1“ konnte nicht gestartet werden (%2)</translation>
    </message>
    <message>
        <source>The filename %1 is invalid!

Please be sure that the filename does not contain COMMAS.

THIS FILE WILL BE SKIPPED.</source>
        <translation>Der Dateiname %1 ist ungültig!

Bitte achten Sie darauf, dass der Dateiname keine KOMMAS enthält.

DIESE DATEI WIRD ÜBERSPRUNGEN.</translation>
    </message>
    <message>
        <source>could not be deleted (%1)</source>
        <translation>konnte nicht gelöscht werden (%1)</translation>
    </message>
    <message>
        <source>Converting Postscript to PDF...</source>
        <translation>PostScript wird in PDF umgewandelt...</translation>
    </message>
    <message>
        <source>Creating PDF File...</source>
        <translation>PDF-Datei wird erstellt...</translation>
    </message>
    <message>
        <source>Printing to Postscript File...</source>
        <translation>Druck in PostScript-Datei...</translation>
    </message>
    <message>
        <source>*** Warning ***</source>
        <translation>*** Warnung ***</translation>
    </message>
    <message>
        <source>was not converted: its PDF would be the one of %1</source>
        <translation>wurde nicht umgewandelt: seine PDF-Datei wäre die von %1</translation>
    </message>
    <message>
        <source>install it with apt-get install libreoffice-writer-nogui</source>
        <translation>installieren Sie es mit apt-get install libreoffice-writer-nogui</translation>
    </message>
    <message>
        <source>%1 is missing: install Quirefold again</source>
        <translation>%1 fehlt: installieren Sie Quirefold erneut</translation>
    </message>
    <message>
        <source>LibreOffice could not be loaded (%1): %2</source>
        <translation>LibreOffice konnte nicht geladen werden (%1): %2</translation>
    </message>
    <message>
        <source>No PDF yet</source>
        <translation>Noch keine PDF-Datei</translation>
    </message>
    <message>
        <source>The PDF is older than the document</source>
        <translation>Die PDF-Datei ist älter als das Dokument</translation>
    </message>
    <message>
        <source>has no pages</source>
        <translation>hat keine Seiten</translation>
    </message>
    <message>
        <source>its PDF could not be made: %1</source>
        <translation>ihre PDF-Datei konnte nicht erstellt werden: %1</translation>
    </message>
    <message>
        <source>%1; install Ghostscript with: apt-get install ghostscript</source>
        <translation>%1; installieren Sie Ghostscript mit: apt-get install ghostscript</translation>
    </message>
    <message>
        <source>Ghostscript did not finish within %1 s</source>
        <translation>Ghostscript wurde nicht innerhalb von %1 s fertig</translation>
    </message>
    <message>
        <source>Ghostscript could not convert it (exit code %1)</source>
        <translation>Ghostscript konnte sie nicht umwandeln (Exit-Code %1)</translation>
    </message>
    <message>
        <source>Ghostscript made no readable PDF of it</source>
        <translation>Ghostscript hat daraus keine lesbare PDF-Datei gemacht</translation>
    </message>
    <message>
        <source>is neither PDF nor PostScript</source>
        <translation>ist weder PDF noch PostScript</translation>
    </message>
    <message>
        <source>was not printed</source>
        <translation>wurde nicht gedruckt</translation>
    </message>
    <message>
        <source>was not finished: the run was stopped</source>
        <translation>wurde nicht fertig: der Vorgang wurde angehalten</translation>
    </message>
    <message>
        <source>the word processor ended unexpectedly</source>
        <translation>die Textverarbeitung wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>the word processor was already quit</source>
        <translation>die Textverarbeitung wurde bereits beendet</translation>
    </message>
    <message>
        <source>does not exist</source>
        <translation>existiert nicht</translation>
    </message>
    <message>
        <source>is a folder, not a document</source>
        <translation>ist ein Ordner, kein Dokument</translation>
    </message>
    <message>
        <source>cannot be read: access denied</source>
        <translation>kann nicht gelesen werden: Zugriff verweigert</translation>
    </message>
    <message>
        <source>the word processor could not be started again: %1</source>
        <translation>die Textverarbeitung konnte nicht neu gestartet werden: %1</translation>
    </message>
    <message>
        <source>cannot be printed: no document is open</source>
        <translation>kann nicht gedruckt werden: kein Dokument ist geöffnet</translation>
    </message>
    <message>
        <source>cannot be written: %1</source>
        <translation>kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>the word processor wrote nothing</source>
        <translation>die Textverarbeitung hat nichts geschrieben</translation>
    </message>
    <message>
        <source>took longer than %1; the word processor was ended</source>
        <translation>dauerte länger als %1; die Textverarbeitung wurde beendet</translation>
    </message>
    <message>
        <source>LibreOffice could not be started: %1</source>
        <translation>LibreOffice konnte nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>LibreOffice could not be reached: %1</source>
        <translation>LibreOffice war nicht erreichbar: %1</translation>
    </message>
    <message>
        <source>LibreOffice did not answer within %1</source>
        <translation>LibreOffice hat nicht innerhalb von %1 geantwortet</translation>
    </message>
    <message>
        <source>LibreOffice crashed while starting</source>
        <translation>LibreOffice ist beim Start abgestürzt</translation>
    </message>
    <message>
        <source>LibreOffice stopped while starting (exit code %1)</source>
        <translation>LibreOffice hat sich beim Start beendet (Exit-Code %1)</translation>
    </message>
    <message>
        <source>LibreOffice (soffice) was not found: %1</source>
        <translation>LibreOffice (soffice) wurde nicht gefunden: %1</translation>
    </message>
    <message>
        <source>LibreOffice Writer was not found: %1</source>
        <translation>LibreOffice Writer wurde nicht gefunden: %1</translation>
    </message>
    <message>
        <source>the folder for the word processor&apos;s profiles (%1) could not be created</source>
        <translation>der Ordner für die Profile der Textverarbeitung (%1) konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>the profile lock %1 could not be opened: %2</source>
        <translation>die Profilsperre %1 konnte nicht geöffnet werden: %2</translation>
    </message>
    <message>
        <source>the profile lock %1 could not be taken: %2</source>
        <translation>die Profilsperre %1 konnte nicht gesetzt werden: %2</translation>
    </message>
    <message>
        <source>all %1 word processor profiles under %2 are in use</source>
        <translation>alle %1 Profile der Textverarbeitung unter %2 sind belegt</translation>
    </message>
    <message>
        <source>the word processor&apos;s profile %1 could not be created</source>
        <translation>das Profil %1 der Textverarbeitung konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>the word processor&apos;s profile %1</source>
        <translation>das Profil der Textverarbeitung %1</translation>
    </message>
    <message>
        <source>is not a document the word processor can read</source>
        <translation>ist kein Dokument, das die Textverarbeitung lesen kann</translation>
    </message>
    <message>
        <source>is protected by a password</source>
        <translation>ist durch ein Passwort geschützt</translation>
    </message>
    <message>
        <source>is damaged</source>
        <translation>ist beschädigt</translation>
    </message>
    <message>
        <source>could not be read (the word processor reported error 0x%1)</source>
        <translation>konnte nicht gelesen werden (die Textverarbeitung meldete Fehler 0x%1)</translation>
    </message>
    <message>
        <source>could not be opened (%1)</source>
        <translation>konnte nicht geöffnet werden (%1)</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>could not be closed: %1</source>
        <translation>konnte nicht geschlossen werden: %1</translation>
    </message>
    <message>
        <source>LibreOffice&apos;s components could not be loaded: %1</source>
        <translation>Die Komponenten von LibreOffice konnten nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>the word processor refused the call: %1</source>
        <translation>die Textverarbeitung hat den Aufruf abgelehnt: %1</translation>
    </message>
    <message>
        <source>cannot be named to the word processor</source>
        <translation>kann der Textverarbeitung nicht als Name übergeben werden</translation>
    </message>
    <message>
        <source>could not be opened</source>
        <translation>konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>could not be opened: %1</source>
        <translation>konnte nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>could not be written as PDF: %1</source>
        <translation>konnte nicht als PDF geschrieben werden: %1</translation>
    </message>
    <message numerus="yes">
        <source>only %1 of its %n page(s) could be converted; it may be cut off</source>
        <translation>
            <numerusform>nur %1 ihrer %n Seite konnte umgewandelt werden; sie ist vielleicht abgeschnitten</numerusform>
            <numerusform>nur %1 ihrer %n Seiten konnten umgewandelt werden; sie ist vielleicht abgeschnitten</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>%1 DOC file(s) found in folder.</source>
        <translation>%1 DOC-Datei(en) im Ordner gefunden.</translation>
    </message>
    <message>
        <source>%1 PDF file(s) found in folder.</source>
        <translation>%1 PDF-Datei(en) im Ordner gefunden.</translation>
    </message>
    <message>
        <source>the folder cannot be listed (%1)</source>
        <translation>der Ordner kann nicht aufgelistet werden (%1)</translation>
    </message>
    <message>
        <source>was left alone: it is a folder, not a PDF file</source>
        <translation>wurde nicht angetastet: es ist ein Ordner, keine PDF-Datei</translation>
    </message>
    <message>
        <source>could not be moved to the trash (%1)</source>
        <translation>konnte nicht in den Papierkorb verschoben werden (%1)</translation>
    </message>
    <message>
        <source>could not be deleted (%1)</source>
        <translation>konnte nicht gelöscht werden (%1)</translation>
    </message>
    <message>
        <source>is a symbolic link to %1, outside the folder, so nothing was written through it</source>
        <translation>ist eine symbolische Verknüpfung auf %1 außerhalb des Ordners, daher wurde nichts darüber geschrieben</translation>
    </message>
    <message>
        <source>could not be found (%1)</source>
        <translation>konnte nicht gefunden werden (%1)</translation>
    </message>
    <message>
        <source>is a symbolic link that leads nowhere (it goes round in a loop)</source>
        <translation>ist eine symbolische Verknüpfung, die ins Leere führt (sie läuft im Kreis)</translation>
    </message>
    <message>
        <source>(no folder)</source>
        <translation>(kein Ordner)</translation>
    </message>
    <message>
        <source>Quirefold was started without a folder, so nothing can be stored. Start it as: quirefold FOLDER</source>
        <translation>Quirefold wurde ohne Ordner gestartet, daher kann nichts gespeichert werden. Starten Sie es so: quirefold ORDNER</translation>
    </message>
    <message>
        <source>its tick cannot be remembered because of the line break in its name; rename it to keep it unticked</source>
        <translation>ihr Haken kann wegen des Zeilenumbruchs in ihrem Namen nicht gespeichert werden; benennen Sie sie um, damit sie nicht angehakt bleibt</translation>
    </message>
    <message>
        <source>could not be written (%1)</source>
        <translation>konnte nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>could not be written (it is a folder)</source>
        <translation>konnte nicht geschrieben werden (es ist ein Ordner)</translation>
    </message>
    <message>
        <source>could not be written (nothing was begun)</source>
        <translation>konnte nicht geschrieben werden (nichts wurde begonnen)</translation>
    </message>
    <message>
        <source>could not be made (%1)</source>
        <translation>konnte nicht angelegt werden (%1)</translation>
    </message>
    <message>
        <source>could not be read (%1)</source>
        <translation>konnte nicht gelesen werden (%1)</translation>
    </message>
    <message>
        <source>was moved to %1, but the trash does not list it</source>
        <translation>wurde nach %1 verschoben, doch der Papierkorb führt sie nicht</translation>
    </message>
    <message>
        <source>the trash %1 could not be made</source>
        <translation>der Papierkorb %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>no trash can be had on the file system of %1</source>
        <translation>auf dem Dateisystem von %1 gibt es keinen Papierkorb</translation>
    </message>
    <message numerus="yes">
        <source>its name is not valid text in the system&apos;s encoding, so it is not listed (%n such file(s)); rename it</source>
        <translation>
            <numerusform>ihr Name ist kein gültiger Text in der Zeichenkodierung des Systems, daher wird sie nicht aufgelistet (%n solche Datei); benennen Sie sie um</numerusform>
            <numerusform>ihr Name ist kein gültiger Text in der Zeichenkodierung des Systems, daher wird sie nicht aufgelistet (%n solche Dateien); benennen Sie sie um</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PDF file(s) were moved to the trash.</source>
        <translation>
            <numerusform>%n PDF-Datei wurde in den Papierkorb verschoben.</numerusform>
            <numerusform>%n PDF-Dateien wurden in den Papierkorb verschoben.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PDF file(s) were deleted, as no trash could be had.</source>
        <translation>
            <numerusform>%n PDF-Datei wurde gelöscht, da kein Papierkorb verfügbar war.</numerusform>
            <numerusform>%n PDF-Dateien wurden gelöscht, da kein Papierkorb verfügbar war.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PDF file(s) were deleted.</source>
        <translation>
            <numerusform>%n PDF-Datei wurde gelöscht.</numerusform>
            <numerusform>%n PDF-Dateien wurden gelöscht.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, so the PDFs are in their sorted order</source>
        <translation>%1, daher stehen die PDFs in ihrer sortierten Reihenfolge</translation>
    </message>
    <message>
        <source>could not be removed</source>
        <translation>konnte nicht entfernt werden</translation>
    </message>
    <message>
        <source>is damaged: it holds no list of names</source>
        <translation>ist beschädigt: sie enthält keine Liste von Namen</translation>
    </message>
</context>
<context>
    <name>Filing</name>
    <message>
        <source>%1 × %2 mm</source>
        <translation>%1 × %2 mm</translation>
    </message>
    <message>
        <source>an unnamed font</source>
        <translation>eine unbenannte Schrift</translation>
    </message>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 und %n weitere</numerusform>
            <numerusform>%1 und %n weitere</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) not of one filing size (A4 or Letter, as the book&apos;s first page, %2), the first %1: %3</source>
        <translation>
            <numerusform>%n Seite nicht in einer Einreichungsgröße (A4 oder Letter, wie die erste Seite des Buchs, %2), die erste %1: %3</numerusform>
            <numerusform>%n Seiten nicht in einer Einreichungsgröße (A4 oder Letter, wie die erste Seite des Buchs, %2), die erste %1: %3</numerusform>
        </translation>
    </message>
    <message>
        <source>uses the font %1, which is not embedded</source>
        <translation>verwendet die Schrift %1, die nicht eingebettet ist</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) draw an image and have no text to search: %1</source>
        <translation>
            <numerusform>%n Seite zeigt ein Bild und hat keinen durchsuchbaren Text: %1</numerusform>
            <numerusform>%n Seiten zeigen ein Bild und haben keinen durchsuchbaren Text: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>has %n form field(s)</source>
        <translation>
            <numerusform>hat %n Formularfeld</numerusform>
            <numerusform>hat %n Formularfelder</numerusform>
        </translation>
    </message>
    <message>
        <source>document scripts</source>
        <translation>Dokumentskripte</translation>
    </message>
    <message>
        <source>at opening</source>
        <translation>beim Öffnen</translation>
    </message>
    <message>
        <source>on opening pages</source>
        <translation>beim Öffnen von Seiten</translation>
    </message>
    <message>
        <source>in links or form fields</source>
        <translation>in Links oder Formularfeldern</translation>
    </message>
    <message>
        <source>runs scripts: %1</source>
        <translation>führt Skripte aus: %1</translation>
    </message>
    <message>
        <source>a file</source>
        <translation>eine Datei</translation>
    </message>
    <message numerus="yes">
        <source>has %n attached file(s): %1</source>
        <translation>
            <numerusform>hat %n angehängte Datei: %1</numerusform>
            <numerusform>hat %n angehängte Dateien: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>is encrypted: it carries restrictions</source>
        <translation>ist verschlüsselt: sie trägt Einschränkungen</translation>
    </message>
    <message>
        <source>would be %1, over the volume limit of %2</source>
        <translation>wäre %1 groß, über der Bandgrenze von %2</translation>
    </message>
    <message>
        <source>%1, page %2: %3</source>
        <translation>%1, Seite %2: %3</translation>
    </message>
    <message>
        <source>opens only with a password</source>
        <translation>öffnet sich nur mit einem Passwort</translation>
    </message>
    <message>
        <source>Nothing a filing portal usually refuses was found.</source>
        <translation>Nichts gefunden, was ein Einreichungsportal gewöhnlich ablehnt.</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) without a size to scale to %1: %2</source>
        <translation>
            <numerusform>%n Seite ohne Größe, die sich auf %1 skalieren ließe: %2</numerusform>
            <numerusform>%n Seiten ohne Größe, die sich auf %1 skalieren ließe: %2</numerusform>
        </translation>
    </message>
    <message>
        <source>launch actions</source>
        <translation>Startaktionen</translation>
    </message>
    <message>
        <source>form submissions</source>
        <translation>Formularübermittlungen</translation>
    </message>
    <message>
        <source>data imports</source>
        <translation>Datenimporte</translation>
    </message>
    <message>
        <source>rich media</source>
        <translation>Rich Media</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) not the size of the book&apos;s other pages (%2), the first %1: %3</source>
        <translation>
            <numerusform>%n Seite nicht in der Größe der übrigen Seiten des Buchs (%2), die erste %1: %3</numerusform>
            <numerusform>%n Seiten nicht in der Größe der übrigen Seiten des Buchs (%2), die erste %1: %3</numerusform>
        </translation>
    </message>
    <message>
        <source>has active content: %1</source>
        <translation>hat aktive Inhalte: %1</translation>
    </message>
    <message>
        <source>is encrypted, without a password and with no restrictions</source>
        <translation>ist verschlüsselt, ohne Passwort und ohne Einschränkungen</translation>
    </message>
    <message>
        <source>is encrypted: it has a password to change it, and no restrictions</source>
        <translation>ist verschlüsselt: sie hat ein Passwort, um sie zu ändern, und keine Einschränkungen</translation>
    </message>
    <message numerus="yes">
        <source>%n blank sheet(s) of %1, not the size of the book&apos;s other pages, after: %2</source>
        <translation>
            <numerusform>%n Leerblatt in %1, nicht in der Größe der übrigen Seiten des Buchs, nach: %2</numerusform>
            <numerusform>%n Leerblätter in %1, nicht in der Größe der übrigen Seiten des Buchs, nach: %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Jobs</name>
    <message>
        <source>%1 comes before %2; right-click the list for Natural order</source>
        <translation>%1 steht vor %2; ein Rechtsklick auf die Liste bietet die natürliche Reihenfolge</translation>
    </message>
    <message numerus="yes">
        <source>%n .%1 document(s) are not listed; right-click the documents list to list them</source>
        <translation>
            <numerusform>%n .%1-Dokument ist nicht aufgeführt; ein Rechtsklick auf die Dokumentliste führt es auf</numerusform>
            <numerusform>%n .%1-Dokumente sind nicht aufgeführt; ein Rechtsklick auf die Dokumentliste führt sie auf</numerusform>
        </translation>
    </message>
    <message>
        <source>the bookmark of %1 is titled &quot;%2&quot;, cut at its first dot; right-click the PDF list, Bookmark titles, File name without its extension, to keep the whole name</source>
        <translation>das Lesezeichen von %1 heißt „%2“, am ersten Punkt abgeschnitten; ein Rechtsklick auf die PDF-Liste, Titel der Lesezeichen, Dateiname ohne Endung, behält den ganzen Namen</translation>
    </message>
    <message>
        <source>The run was stopped, so no book was written; a book made before is as it was.</source>
        <translation>Der Vorgang wurde angehalten, daher wurde kein Buch geschrieben; ein zuvor erstelltes Buch ist unverändert.</translation>
    </message>
    <message numerus="yes">
        <source>The run was stopped: %n of the ticked documents were converted; the others were left as they were.</source>
        <translation>
            <numerusform>Der Vorgang wurde angehalten: %n der angehakten Dokumente wurde umgewandelt; die übrigen blieben unverändert.</numerusform>
            <numerusform>Der Vorgang wurde angehalten: %n der angehakten Dokumente wurden umgewandelt; die übrigen blieben unverändert.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Recognition</name>
    <message>
        <source>Looking for scanned pages...</source>
        <translation>Gescannte Seiten werden gesucht...</translation>
    </message>
    <message>
        <source>OCRmyPDF took too long</source>
        <translation>OCRmyPDF brauchte zu lange</translation>
    </message>
    <message>
        <source>OCRmyPDF said: %1</source>
        <translation>OCRmyPDF meldete: %1</translation>
    </message>
    <message>
        <source>exit code %1</source>
        <translation>Exit-Code %1</translation>
    </message>
    <message>
        <source>OCRmyPDF made no whole copy of it</source>
        <translation>OCRmyPDF erstellte keine vollständige Kopie davon</translation>
    </message>
    <message>
        <source>its scanned pages could not be made searchable (%1); it went into the book as it is</source>
        <translation>seine gescannten Seiten konnten nicht durchsuchbar gemacht werden (%1); es kam unverändert ins Buch</translation>
    </message>
    <message>
        <source>Making scanned pages searchable...</source>
        <translation>Gescannte Seiten werden durchsuchbar gemacht...</translation>
    </message>
    <message>
        <source>Recognising text: %1, page %2 of %3</source>
        <translation>Texterkennung: %1, Seite %2 von %3</translation>
    </message>
    <message>
        <source>%1, so no scanned page was made searchable</source>
        <translation>%1, daher wurde keine gescannte Seite durchsuchbar gemacht</translation>
    </message>
    <message numerus="yes">
        <source>The scanned pages of %n PDF(s) were not made searchable: text recognition needs what is not installed here. Install it with:

sudo apt-get install %1</source>
        <translation>
            <numerusform>Die gescannten Seiten von %n PDF wurden nicht durchsuchbar gemacht: Für die Texterkennung fehlt hier etwas. Installieren Sie es mit:

sudo apt-get install %1</numerusform>
            <numerusform>Die gescannten Seiten von %n PDFs wurden nicht durchsuchbar gemacht: Für die Texterkennung fehlt hier etwas. Installieren Sie es mit:

sudo apt-get install %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 (%n page(s))</source>
        <translation>
            <numerusform>%1 (%n Seite)</numerusform>
            <numerusform>%1 (%n Seiten)</numerusform>
        </translation>
    </message>
    <message>
        <source>the folder could not be made</source>
        <translation>der Ordner konnte nicht angelegt werden</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n Seite</numerusform>
            <numerusform>%n Seiten</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 (no text was found on %2: %3)</source>
        <translation>%1 (auf %2 wurde kein Text gefunden: %3)</translation>
    </message>
    <message>
        <source>%1 (%2: %3; no text was found on %4: %5)</source>
        <translation>%1 (%2: %3; auf %4 wurde kein Text gefunden: %5)</translation>
    </message>
</context>
<context>
    <name>Runs</name>
    <message>
        <source>Collecting information for file:</source>
        <translation>Informationen werden gesammelt für Datei:</translation>
    </message>
    <message>
        <source>No book was made.</source>
        <translation>Es wurde kein Buch erstellt.</translation>
    </message>
    <message>
        <source>The book was made, but not everything went well:</source>
        <translation>Das Buch wurde erstellt, aber nicht alles ging gut:</translation>
    </message>
    <message>
        <source>no book was made</source>
        <translation>kein Buch erstellt</translation>
    </message>
    <message>
        <source>Quirefold run finished</source>
        <translation>Quirefold-Vorgang beendet</translation>
    </message>
    <message>
        <source>No document was converted to PDF:</source>
        <translation>Kein Dokument wurde in PDF umgewandelt:</translation>
    </message>
    <message>
        <source>Not every document was converted to PDF:</source>
        <translation>Nicht jedes Dokument wurde in PDF umgewandelt:</translation>
    </message>
    <message>
        <source>Not every PDF file could be moved to the trash:</source>
        <translation>Nicht jede PDF-Datei konnte in den Papierkorb verschoben werden:</translation>
    </message>
    <message>
        <source>Start Time: 	</source>
        <translation>Startzeit: 	</translation>
    </message>
    <message>
        <source>Done Time: 	</source>
        <translation>Endzeit: 	</translation>
    </message>
    <message>
        <source>index in front</source>
        <translation>Inhaltsverzeichnis vorn</translation>
    </message>
    <message>
        <source>pages numbered &apos;%1&apos;</source>
        <translation>Seiten nummeriert mit „%1“</translation>
    </message>
    <message>
        <source>each PDF&apos;s own bookmarks</source>
        <translation>die eigenen Lesezeichen jeder PDF</translation>
    </message>
    <message>
        <source>bookmarks titled by file name</source>
        <translation>Lesezeichen nach Dateinamen</translation>
    </message>
    <message>
        <source>bookmarks titled by the PDFs&apos; own titles</source>
        <translation>Lesezeichen nach den eigenen Titeln der PDFs</translation>
    </message>
    <message>
        <source>blank sheets the size of the page before</source>
        <translation>Leerseiten in der Größe der Seite davor</translation>
    </message>
    <message>
        <source>for fast web view</source>
        <translation>für schnelle Webanzeige</translation>
    </message>
    <message>
        <source>without object streams</source>
        <translation>ohne Objektströme</translation>
    </message>
    <message>
        <source>made of .%1 documents</source>
        <translation>aus .%1-Dokumenten</translation>
    </message>
    <message>
        <source>This folder&apos;s book: %1</source>
        <translation>Das Buch dieses Ordners: %1</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n Seite</numerusform>
            <numerusform>%n Seiten</numerusform>
        </translation>
    </message>
    <message>
        <source>titled &apos;%1&apos;</source>
        <translation>mit dem Titel „%1“</translation>
    </message>
    <message>
        <source>in natural order</source>
        <translation>in natürlicher Reihenfolge</translation>
    </message>
    <message>
        <source>; scanned pages made searchable: %1</source>
        <translation>; durchsuchbar gemachte gescannte Seiten: %1</translation>
    </message>
    <message>
        <source>scanned pages made searchable</source>
        <translation>gescannte Seiten durchsuchbar</translation>
    </message>
    <message numerus="yes">
        <source>%1/%2 and on, %n volume(s)</source>
        <translation>
            <numerusform>%1/%2, %n Band</numerusform>
            <numerusform>%1/%2 und folgende, %n Bände</numerusform>
        </translation>
    </message>
    <message>
        <source>in volumes of at most %1</source>
        <translation>in Bänden von höchstens %1</translation>
    </message>
    <message>
        <source>%1 has no PDF yet; print it to PDF first</source>
        <translation>%1 hat noch kein PDF; drucken Sie es zuerst als PDF</translation>
    </message>
    <message>
        <source>%1 is newer than its PDF; print it to PDF again</source>
        <translation>%1 ist neuer als sein PDF; drucken Sie es erneut als PDF</translation>
    </message>
    <message>
        <source>Checking the book for filing...</source>
        <translation>Das Buch wird für die Einreichung geprüft...</translation>
    </message>
    <message>
        <source>What a filing portal usually refuses, found in the book:</source>
        <translation>Was ein Einreichungsportal gewöhnlich ablehnt, im Buch gefunden:</translation>
    </message>
    <message>
        <source>every page %1</source>
        <translation>jede Seite %1</translation>
    </message>
    <message>
        <source>; for filing: %1</source>
        <translation>; zur Einreichung: %1</translation>
    </message>
    <message>
        <source>for filing</source>
        <translation>zur Einreichung</translation>
    </message>
    <message>
        <source>For filing, the book changed its PDFs:</source>
        <translation>Zur Einreichung änderte das Buch seine PDF-Dateien:</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>Stop the run</source>
        <translation>Vorgang anhalten</translation>
    </message>
    <message>
        <source>Add a &amp;blank sheet when a document ends in and odd number of pages.</source>
        <translation>Leerseite nach Dokumenten mit &amp;ungerader Seitenzahl einfügen.</translation>
    </message>
    <message>
        <source>&amp;Print DOC Files to PDF</source>
        <translation>Als PDF d&amp;rucken</translation>
    </message>
    <message>
        <source>&amp;DOC Files Found in Folder:</source>
        <translation>&amp;DOC-Dateien im Ordner:</translation>
    </message>
    <message>
        <source>Click here to d&amp;elete PDF files which have a matching DOC file only!</source>
        <translation>Hier klicken, um nur PDF-Dateien mit passender DOC-Datei zu lösch&amp;en!</translation>
    </message>
    <message>
        <source>Co&amp;mpile PDF Files</source>
        <translation>&amp;Buch erstellen</translation>
    </message>
    <message>
        <source>Check &amp;All</source>
        <translation>&amp;Alle wählen</translation>
    </message>
    <message>
        <source>&amp;Uncheck All</source>
        <translation>&amp;Keine wählen</translation>
    </message>
    <message>
        <source>Chec&amp;k All</source>
        <translation>Al&amp;le wählen</translation>
    </message>
    <message>
        <source>U&amp;ncheck All</source>
        <translation>Keine &amp;wählen</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>S&amp;chließen</translation>
    </message>
    <message>
        <source>Compiled PDF &amp;File Name:</source>
        <translation>Datei&amp;name des Buchs:</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>Dokumente</translation>
    </message>
    <message>
        <source>PDF files</source>
        <translation>PDF-Dateien</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Documents found</source>
        <translation>Gefundene Dokumente</translation>
    </message>
    <message>
        <source>PDF files found</source>
        <translation>Gefundene PDF-Dateien</translation>
    </message>
    <message>
        <source>Compiled PDF file name</source>
        <translation>Dateiname des Buchs</translation>
    </message>
    <message>
        <source>Check all documents</source>
        <translation>Alle Dokumente anhaken</translation>
    </message>
    <message>
        <source>Uncheck all documents</source>
        <translation>Haken aller Dokumente entfernen</translation>
    </message>
    <message>
        <source>Check all PDF files</source>
        <translation>Alle PDF-Dateien anhaken</translation>
    </message>
    <message>
        <source>Uncheck all PDF files</source>
        <translation>Haken aller PDF-Dateien entfernen</translation>
    </message>
    <message>
        <source>Printing progress</source>
        <translation>Fortschritt des Druckens</translation>
    </message>
    <message>
        <source>Compiling progress</source>
        <translation>Fortschritt des Zusammenstellens</translation>
    </message>
    <message>
        <source>List .%1 documents</source>
        <translation>.%1-Dokumente auflisten</translation>
    </message>
    <message>
        <source>Keep each PDF&apos;s own bookmarks</source>
        <translation>Eigene Lesezeichen jeder PDF-Datei behalten</translation>
    </message>
    <message>
        <source>Blank sheet the size of the page before it</source>
        <translation>Leerseite im Format der Seite davor</translation>
    </message>
    <message>
        <source>Quirefold %1 from Tallowmere</source>
        <translation>Quirefold %1 von Tallowmere</translation>
    </message>
    <message>
        <source>No folder was given to open.</source>
        <translation>Es wurde kein Ordner zum Öffnen angegeben.</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened (%2).</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden (%2).</translation>
    </message>
    <message>
        <source>it is not a readable folder</source>
        <translation>er ist kein lesbarer Ordner</translation>
    </message>
    <message>
        <source>%1

Choose a folder to open?</source>
        <translation>%1

Einen Ordner zum Öffnen wählen?</translation>
    </message>
    <message>
        <source>Choose a folder of documents and PDF files</source>
        <translation>Einen Ordner mit Dokumenten und PDF-Dateien wählen</translation>
    </message>
    <message>
        <source>A run is under way. Stop it and close the window? What it finished is kept.</source>
        <translation>Ein Vorgang läuft. Ihn anhalten und das Fenster schließen? Was er fertiggestellt hat, bleibt erhalten.</translation>
    </message>
    <message>
        <source>The unticked files could not be remembered for the next start:</source>
        <translation>Die nicht angehakten Dateien konnten für den nächsten Start nicht gespeichert werden:</translation>
    </message>
    <message>
        <source>%v of %m</source>
        <translation>%v von %m</translation>
    </message>
    <message>
        <source>... and %1 more, listed under Show Details.</source>
        <translation>... und %1 weitere, aufgeführt unter „Details einblenden“.</translation>
    </message>
    <message>
        <source>All of it is under Show Details.</source>
        <translation>Alles steht unter „Details einblenden“.</translation>
    </message>
    <message>
        <source>Open a folder with Quirefold</source>
        <translation>Einen Ordner mit Quirefold öffnen</translation>
    </message>
    <message>
        <source>Book for fast web view (linearized)</source>
        <translation>Buch für schnelle Webanzeige (linearisiert)</translation>
    </message>
    <message>
        <source>Index of the documents in front of the book</source>
        <translation>Inhaltsverzeichnis der Dokumente vor dem Buch</translation>
    </message>
    <message>
        <source>Number the book&apos;s pages...</source>
        <translation>Seiten des Buchs nummerieren...</translation>
    </message>
    <message>
        <source>The page numbers &quot;%1&quot; cannot be used: the format %2.</source>
        <translation>Die Seitennummern „%1“ sind nicht verwendbar: das Format %2.</translation>
    </message>
    <message>
        <source>Bookmark titles</source>
        <translation>Titel der Lesezeichen</translation>
    </message>
    <message>
        <source>File name up to the first dot</source>
        <translation>Dateiname bis zum ersten Punkt</translation>
    </message>
    <message>
        <source>File name without its extension</source>
        <translation>Dateiname ohne Endung</translation>
    </message>
    <message>
        <source>The PDF&apos;s own title, where it has one</source>
        <translation>Eigener Titel der PDF-Datei, wo vorhanden</translation>
    </message>
    <message>
        <source>Each page&apos;s number, at its bottom right:
{n}: the number (17)
{n:6}: the number with six digits (000017)
{total}: the count of pages
For example: Page {n} of {total}, or ABC{n:6}.
Leave it empty for no numbers.</source>
        <translation>Die Nummer jeder Seite, unten rechts:
{n}: die Nummer (17)
{n:6}: die Nummer mit sechs Stellen (000017)
{total}: die Zahl der Seiten
Zum Beispiel: Seite {n} von {total} oder ABC{n:6}.
Leer lassen für keine Nummern.</translation>
    </message>
    <message>
        <source>Right-click or press the menu key for the kinds of document listed</source>
        <translation>Rechtsklick oder Menütaste für die aufgeführten Dokumentarten</translation>
    </message>
    <message>
        <source>Right-click or press the menu key for the book&apos;s choices</source>
        <translation>Rechtsklick oder Menütaste für die Einstellungen des Buchs</translation>
    </message>
    <message>
        <source>Title of the book...</source>
        <translation>Titel des Buchs...</translation>
    </message>
    <message>
        <source>The book&apos;s title, at the head of its index and in its document properties. Leave it empty for the folder&apos;s name.</source>
        <translation>Der Titel des Buchs, über seinem Inhaltsverzeichnis und in seinen Dokumenteigenschaften. Leer lassen für den Namen des Ordners.</translation>
    </message>
    <message>
        <source>Natural order (2 before 10)</source>
        <translation>Natürliche Reihenfolge (2 vor 10)</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>Sort Again</source>
        <translation>Wieder sortieren</translation>
    </message>
    <message>
        <source>%1, %2 of %3</source>
        <translation>%1, %2 von %3</translation>
    </message>
    <message>
        <source>Make scanned pages searchable (OCR)</source>
        <translation>Gescannte Seiten durchsuchbar machen (OCR)</translation>
    </message>
    <message>
        <source>Split the book into volumes...</source>
        <translation>Das Buch in Bände teilen...</translation>
    </message>
    <message>
        <source>The most each volume may hold, as a portal, a mail server or a binder takes it: a number of pages (300 pages) or of megabytes (20 MB). The book is cut only between documents.
Leave it empty for one book.</source>
        <translation>Wie viel jeder Band höchstens enthalten darf, wie ein Portal, ein Mailserver oder ein Ordner es annimmt: eine Anzahl Seiten (300 Seiten) oder Megabyte (20 MB). Das Buch wird nur zwischen Dokumenten geteilt.
Leer lassen für ein einziges Buch.</translation>
    </message>
    <message>
        <source>The volume limit &quot;%1&quot; cannot be used: it %2.</source>
        <translation>Die Bandgrenze &quot;%1&quot; kann nicht verwendet werden: sie %2.</translation>
    </message>
    <message>
        <source>Usage: quirefold FOLDER
Opens Quirefold&apos;s window on FOLDER, the whole command line: a folder whose name holds spaces needs no quotes. A folder whose name begins with &quot;-&quot; is given as ./NAME.

Options:
  -h, --help     Shows this help.
  -v, --version  Shows the version.

quirefold-batch runs the same jobs without a window; see quirefold-batch --help.
</source>
        <translation>Aufruf: quirefold ORDNER
Öffnet das Fenster von Quirefold auf ORDNER, der ganzen Befehlszeile: Ein Ordner, dessen Name Leerzeichen enthält, braucht keine Anführungszeichen. Ein Ordner, dessen Name mit „-“ beginnt, wird als ./NAME angegeben.

Optionen:
  -h, --help     Zeigt diese Hilfe.
  -v, --version  Zeigt die Version.

quirefold-batch führt dieselben Aufgaben ohne Fenster aus; siehe quirefold-batch --help.
</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>Check the book for filing...</source>
        <translation>Das Buch für die Einreichung prüfen...</translation>
    </message>
    <message>
        <source>Pages of one size</source>
        <translation>Seiten einer Größe</translation>
    </message>
    <message>
        <source>A4</source>
        <translation>A4</translation>
    </message>
    <message>
        <source>Letter</source>
        <translation>Letter (US)</translation>
    </message>
    <message>
        <source>As they are</source>
        <translation>Wie sie sind</translation>
    </message>
    <message>
        <source>Book for filing</source>
        <translation>Buch zur Einreichung</translation>
    </message>
    <message>
        <source>Move to Top</source>
        <translation>Ganz nach oben</translation>
    </message>
    <message>
        <source>Move to Bottom</source>
        <translation>Ganz nach unten</translation>
    </message>
    <message>
        <source>Passwords</source>
        <translation>Passwörter</translation>
    </message>
    <message>
        <source>These PDFs open only with a password. A PDF whose password is left empty is left out of the book. The passwords are used for this compile only.</source>
        <translation>Diese PDFs öffnen sich nur mit einem Passwort. Ein PDF, dessen Passwort leer bleibt, wird im Buch weggelassen. Die Passwörter gelten nur für dieses Zusammenstellen.</translation>
    </message>
    <message>
        <source>Password of %1</source>
        <translation>Passwort von %1</translation>
    </message>
</context>
</TS>
