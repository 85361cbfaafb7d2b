# `cpack -G DEB` in the build folder makes a Debian package of everything `cmake --install` puts in
# place: the tool, the bundles, the libraries, the Python module, the headers, the CMake and
# pkg-config files and the schema, under /usr. Its tool finds its bundles beside its libraries,
# wherever the package is unpacked. Its dependencies are worked out by dpkg-shlibdeps from the
# libraries it links.
include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME "richmarkup")
set(CPACK_PACKAGE_VENDOR "Zentrik")
set(CPACK_PACKAGE_CONTACT "richmarkup maintainers <richmarkup@zentrik.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Builds rich-text JSON documents into a typed document model")
# One string: the pieces of a plain set() would be joined with ";".
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "The richmarkup-build tool, its builder bundles, the host libraries and their headers, CMake and "
    "pkg-config files, the JSON Schema of the rich-text format, and the Python module richmarkup "
    "(import richmarkup) for python3.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "text")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pandoc writes and reads the formats the tool reaches through it (Word, ODT, EPUB, LaTeX, PDF)
# and makes the MathML of HTML pages' equations; WeasyPrint and fonts for CJK and symbols make its PDFs. The tool works without them, and the
# libraries without python3, which the Python module needs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pandoc, weasyprint, fonts-droid-fallback, fonts-symbola, python3")
# bash loads the completion from /usr/share/bash-completion only with that package; pages made with
# --math katex or mathjax load those scripts from Debian's copies by default, and MathML is drawn
# best with a math font such as DejaVu's.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion, libjs-katex, libjs-mathjax, fonts-dejavu-extra")
# The package's own libraries satisfy each other.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_LIBRARY_OUTPUT_DIRECTORY}")
# Never strip: a bundle's resource archive is appended to its library file.
set(CPACK_STRIP_FILES OFF)
include(CPack)
