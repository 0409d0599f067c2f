# The Debian package (cpack -G DEB, or scripts/package): installed into /usr,
# where every host looks without a variable. Run-time dependencies come from
# the libraries the files link (dpkg-shlibdeps); only data the linker cannot
# see is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "Zorvane developers")
set(CPACK_PACKAGE_CONTACT "Zorvane developers <developers@zorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video effect raising colours to floors inside a rectangle")
set(CPACK_PACKAGE_DESCRIPTION "Inside a rectangle of the frame, every pixel's red, green and blue are
raised to at least three floors; alpha and the rest of the frame are kept,
and the effect grows in and out over the clip's fades. The package holds the
zorvane program with its plug-in bundle and set-up dialog, the effect as a
frei0r filter (ffmpeg, GStreamer) and as an MLT filter (melt, Kdenlive,
Shotcut), with the editors' effect descriptions.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The install scripts see CMAKE_INSTALL_PREFIX as /usr and stage through DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, melt, gstreamer1.0-plugins-bad, kdenlive, shotcut")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageWithoutScripts.cmake)
include(CPack)
