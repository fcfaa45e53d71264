# `cpack -G DEB` in the build folder makes quirefold_VERSION_ARCH.deb: both programs, the
# launcher, the LibreOffice plugin, the blank sheet, the translations, the desktop entry, the
# icons, the metadata, the manual pages and the completion.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quirefold)
set(CPACK_PACKAGE_VENDOR Tallowmere)
set(CPACK_PACKAGE_CONTACT "Tallowmere <quirefold@tallowmere.net>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turn a folder of documents into one printable, bookmarked PDF book")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quirefold lists a folder's word-processor documents and PDF files in two
 tick lists. It prints the ticked documents to PDF through LibreOffice and
 compiles the ticked PDFs, in list order, into one book with a bookmark per
 document and a blank sheet after a document that ends on an odd page.
 quirefold-batch runs the same jobs without a window.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tallowmere.net/quirefold")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Depends comes from the libraries the programs and the office plugin load (for the plugin, UNO's
# runtime, not LibreOffice itself). LibreOffice Writer, Ghostscript and OCRmyPDF are only
# recommended: without them Quirefold runs and compiles, and says what to install to convert or
# to make scanned pages searchable. Qt's own
# translations give the standard buttons and dialogs the user's language.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The index and page numbers are set in DejaVu Sans, loaded by path.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
string(CONCAT CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libreoffice-writer-nogui | libreoffice-writer, ghostscript, qt6-translations-l10n, "
    "ocrmypdf, tesseract-ocr-eng")
set(CPACK_STRIP_FILES ON)

# Debian wants the changelog and the manual pages compressed, without time stamps.
set(compressed)
foreach(file packaging/changelog desktop/man/quirefold.1 desktop/man/quirefold-batch.1
             desktop/man/quirefold-open.1)
    get_filename_component(name ${file} NAME)
    set(gz ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
        COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/${file} > ${gz}
        DEPENDS ${PROJECT_SOURCE_DIR}/${file})
    list(APPEND compressed ${gz})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/quirefold.1.gz
              ${CMAKE_BINARY_DIR}/packaging/quirefold-batch.1.gz
              ${CMAKE_BINARY_DIR}/packaging/quirefold-open.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quirefold)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quirefold)
include(CPack)
