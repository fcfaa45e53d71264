<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Batch</name>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n page</numerusform>
            <numerusform>%n pages</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n document(s)</source>
        <translation>
            <numerusform>%n document</numerusform>
            <numerusform>%n documents</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n blank sheet(s)</source>
        <translation>
            <numerusform>%n blank sheet</numerusform>
            <numerusform>%n blank sheets</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n .%1 document(s) are not listed; give --document-types %2 to list them</source>
        <translation>
            <numerusform>%n .%1 document is not listed; give --document-types %2 to list it</numerusform>
            <numerusform>%n .%1 documents are not listed; give --document-types %2 to list them</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Book</name>
    <message numerus="yes">
        <source>%n PDF(s) alone larger than a volume may be (%2), so each makes a volume of its own: %1</source>
        <translation>
            <numerusform>%n PDF is larger than a volume may be (%2), so it makes a volume of its own: %1</numerusform>
            <numerusform>%n PDFs are each larger than a volume may be (%2), so each makes a volume of its own: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n page</numerusform>
            <numerusform>%n pages</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n form field(s) flattened</source>
        <translation>
            <numerusform>%n form field flattened</numerusform>
            <numerusform>%n form fields flattened</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n attached file(s) removed</source>
        <translation>
            <numerusform>%n attached file removed</numerusform>
            <numerusform>%n attached files removed</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) shrunk by at most %1% to keep their numbers clear</source>
        <translation>
            <numerusform>%n page shrunk by at most %1% to keep its number clear</numerusform>
            <numerusform>%n pages shrunk by at most %1% to keep their numbers clear</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Conversion</name>
    <message numerus="yes">
        <source>only %1 of its %n page(s) could be converted; it may be cut off</source>
        <translation>
            <numerusform>only %1 of its %n page could be converted; it may be cut off</numerusform>
            <numerusform>only %1 of its %n pages could be converted; it may be cut off</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message numerus="yes">
        <source>its name is not valid text in the system&apos;s encoding, so it is not listed (%n such file(s)); rename it</source>
        <translation>
            <numerusform>its name is not valid text in the system&apos;s encoding, so it is not listed (%n such file); rename it</numerusform>
            <numerusform>its name is not valid text in the system&apos;s encoding, so it is not listed (%n such files); rename it</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PDF file(s) were moved to the trash.</source>
        <translation>
            <numerusform>%n PDF file was moved to the trash.</numerusform>
            <numerusform>%n PDF files were moved to the trash.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PDF file(s) were deleted, as no trash could be had.</source>
        <translation>
            <numerusform>%n PDF file was deleted, as no trash could be had.</numerusform>
            <numerusform>%n PDF files were deleted, as no trash could be had.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n PDF file(s) were deleted.</source>
        <translation>
            <numerusform>%n PDF file was deleted.</numerusform>
            <numerusform>%n PDF files were deleted.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Filing</name>
    <message numerus="yes">
        <source>%1 and %n more</source>
        <translation>
            <numerusform>%1 and %n more</numerusform>
            <numerusform>%1 and %n more</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) not of one filing size (A4 or Letter, as the book&apos;s first page, %2), the first %1: %3</source>
        <translation>
            <numerusform>%n page not of one filing size (A4 or Letter, as the book&apos;s first page, %2), %1: %3</numerusform>
            <numerusform>%n pages not of one filing size (A4 or Letter, as the book&apos;s first page, %2), the first %1: %3</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) draw an image and have no text to search: %1</source>
        <translation>
            <numerusform>%n page draws an image and has no text to search: %1</numerusform>
            <numerusform>%n pages draw an image and have no text to search: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>has %n form field(s)</source>
        <translation>
            <numerusform>has %n form field</numerusform>
            <numerusform>has %n form fields</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>has %n attached file(s): %1</source>
        <translation>
            <numerusform>has %n attached file: %1</numerusform>
            <numerusform>has %n attached files: %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) without a size to scale to %1: %2</source>
        <translation>
            <numerusform>%n page without a size to scale to %1: %2</numerusform>
            <numerusform>%n pages without a size to scale to %1: %2</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) not the size of the book&apos;s other pages (%2), the first %1: %3</source>
        <translation>
            <numerusform>%n page not the size of the book&apos;s other pages (%2), the first %1: %3</numerusform>
            <numerusform>%n pages not the size of the book&apos;s other pages (%2), the first %1: %3</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n blank sheet(s) of %1, not the size of the book&apos;s other pages, after: %2</source>
        <translation>
            <numerusform>%n blank sheet of %1, not the size of the book&apos;s other pages, after: %2</numerusform>
            <numerusform>%n blank sheets of %1, not the size of the book&apos;s other pages, after: %2</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Jobs</name>
    <message numerus="yes">
        <source>%n .%1 document(s) are not listed; right-click the documents list to list them</source>
        <translation>
            <numerusform>%n .%1 document is not listed; right-click the documents list to list it</numerusform>
            <numerusform>%n .%1 documents are not listed; right-click the documents list to list them</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The run was stopped: %n of the ticked documents were converted; the others were left as they were.</source>
        <translation>
            <numerusform>The run was stopped: %n of the ticked documents was converted; the others were left as they were.</numerusform>
            <numerusform>The run was stopped: %n of the ticked documents were converted; the others were left as they were.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Recognition</name>
    <message numerus="yes">
        <source>The scanned pages of %n PDF(s) were not made searchable: text recognition needs what is not installed here. Install it with:

sudo apt-get install %1</source>
        <translation>
            <numerusform>The scanned pages of %n PDF were not made searchable: text recognition needs what is not installed here. Install it with:

sudo apt-get install %1</numerusform>
            <numerusform>The scanned pages of %n PDFs were not made searchable: text recognition needs what is not installed here. Install it with:

sudo apt-get install %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 (%n page(s))</source>
        <translation>
            <numerusform>%1 (%n page)</numerusform>
            <numerusform>%1 (%n pages)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n page</numerusform>
            <numerusform>%n pages</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Runs</name>
    <message numerus="yes">
        <source>%n page(s)</source>
        <translation>
            <numerusform>%n page</numerusform>
            <numerusform>%n pages</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1/%2 and on, %n volume(s)</source>
        <translation>
            <numerusform>%1/%2, %n volume</numerusform>
            <numerusform>%1/%2 and on, %n volumes</numerusform>
        </translation>
    </message>
</context>
</TS>
