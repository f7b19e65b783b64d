# The Debian package: `cpack -G DEB` in the build folder makes
# norvane_<version>-1_<arch>.deb from the install rules (see data/).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME norvane)
set(CPACK_PACKAGE_VENDOR "Mori")
set(CPACK_PACKAGE_CONTACT "Mori <mori@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "make stored mail files smaller and tidier")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.example.org/norvane/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary line comes first by itself; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Norvane strips unwanted header lines (Received, DKIM-Signature, X-Mailer
and any other key you tick) from stored mail files, optionally removes the
encoded bodies of attachments, and tidies what is left. It works on files
holding one message and on mbox-style files holding many, rewrites every
file atomically and can keep a backup copy.
.
The package holds the window (norvane, in Japanese or English) and the command-line
tool norvane-cli for scripts and large batches.")
# The libraries come from the programs themselves; Qt also needs its platform
# plugins, its own translations and a Japanese font at run time without
# declaring them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic")

include(CPack)
