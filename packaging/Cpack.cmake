# The Debian package: `cpack -G DEB` in a build folder packs what `cmake --install` installs, under
# /usr, into zelmora2nd_VERSION_ARCH.deb (scripts/make-deb.sh builds one from scratch). Its
# Depends come from dpkg-shlibdeps (dpkg-dev), which reads the libraries the program links.

set(CPACK_PACKAGE_NAME zelmora2nd)
set(CPACK_PACKAGE_VENDOR "Zelmora2nd for Linux contributors")
set(CPACK_PACKAGE_CONTACT "Zelmora2nd for Linux contributors <feedback@zelmora2nd.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zelmora2nd.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "conceal chosen windows on a trigger and bring them back exactly")
set(CPACK_PACKAGE_DESCRIPTION [=[
Zelmora2nd conceals chosen application windows the moment a trigger fires:
the mouse pointer entering a corner or an edge of the screen, the Shift key
held down, or ScrollLock switched on. When the trigger ends, the windows come
back exactly as they were, in the same place, size and state. Meanwhile its
notification-area icon shows a harmless-looking decoy picture and the speakers
can be muted. A password can guard its settings.

It needs an X11 session with an EWMH window manager and a notification area.
Its user interface is in Japanese.]=])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese text needs a Japanese font. Muting needs libpulse, which the program opens when it first
# mutes (so dpkg-shlibdeps does not see it), and a sound server; without them it leaves the sound
# alone.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk, libpulse0")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
