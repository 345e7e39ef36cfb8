# The Debian package, built by scripts/package with CPack's DEB generator: what it holds and
# how it describes itself. Its version is the project's; its maintainer, summary and
# description are set here and nowhere else.

set(ONDREL_MAINTAINER "Ondrel developers <ondrel@example.org>")
set(ONDREL_SUMMARY "find IP cameras on the LAN and change their network settings")
# Debian shows the description as it stands: lines of at most 79 characters.
set(ONDREL_DESCRIPTION "Ondrel is for the technician who sets up IP cameras and video servers on a
local network. Its window searches every network adapter of the PC by UDP
broadcast, lists each device that answers with the adapter it answered on,
shows the device's firmware versions and IP settings, sends it new network
settings (authorised by its viewing account and password), follows its restart
and opens its web page in the browser.

The package also holds ondrel-cli, which does the same from a terminal, and
ondrel-sim, which plays simulated devices for trying the tool without cameras.")
# AppStream's component id; the desktop entry keeps its plain name, ondrel.desktop.
set(ONDREL_APP_ID io.github.ondrel.Ondrel)
set(ONDREL_RELEASE_DATE 2026-12-08)
set(ONDREL_RELEASE_DATE_RFC2822 "Tue, 08 Dec 2026 08:00:00 +0000")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ondrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ONDREL_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${ONDREL_SUMMARY})
set(CPACK_PACKAGE_DESCRIPTION ${ONDREL_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET ondrel)
  # dpkg-shlibdeps sees the libraries the window links, not the platform plugin Qt loads at
  # start, which libqt6gui6 only recommends: without it the window cannot open. The computed
  # dependencies are appended to this one. Qt's catalogues translate its standard buttons.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Text files are made from templates here and compressed the way Debian wants them: gzip -9n,
# without name or time stamp, so that two builds of one version give the same bytes.
set(ONDREL_PACKAGING_DIR ${PROJECT_BINARY_DIR}/packaging)
function(ondrel_gzip source target)
  execute_process(COMMAND gzip -9nc INPUT_FILE ${source} OUTPUT_FILE ${target}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${source}: failed")
  endif()
endfunction()

function(ondrel_install_man program)
  set(page ${ONDREL_PACKAGING_DIR}/${program}.1)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/man/${program}.1 ${page} @ONLY)
  ondrel_gzip(${page} ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

if(TARGET ondrel)
  ondrel_install_man(ondrel)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/ondrel.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/ondrel.metainfo.xml.in
    ${ONDREL_PACKAGING_DIR}/${ONDREL_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${ONDREL_PACKAGING_DIR}/${ONDREL_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The PNG sizes are rendered from ondrel.svg (rsvg-convert -w N -h N) and kept in the tree, so
  # that building needs no SVG renderer.
  set(icons ${PROJECT_SOURCE_DIR}/src/res/icons)
  set(hicolor ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  foreach(size 16 22 24 32 48 64 128)
    install(FILES ${icons}/hicolor/ondrel-${size}.png
      DESTINATION ${hicolor}/${size}x${size}/apps RENAME ondrel.png)
  endforeach()
  install(FILES ${icons}/ondrel-256.png DESTINATION ${hicolor}/256x256/apps RENAME ondrel.png)
  install(FILES ${icons}/ondrel.svg DESTINATION ${hicolor}/scalable/apps)
endif()
foreach(program ondrel-cli ondrel-sim)
  if(TARGET ${program})
    ondrel_install_man(${program})
  endif()
endforeach()

# The Ansible collection ondrel.site, on Ansible's default collections path, as
# `ansible-galaxy collection install` would leave it (with its MANIFEST.json and FILES.json), so
# that a site's box with the package needs nothing else. Built from the tree here, like the
# compressed pages above; without ansible-galaxy the tree itself is installed, which Ansible
# reads as well.
set(ONDREL_COLLECTION_DIR ${PROJECT_SOURCE_DIR}/ansible_collections/ondrel/site)
set(ONDREL_COLLECTION_DEST ${CMAKE_INSTALL_DATADIR}/ansible/collections/ansible_collections/ondrel/site)
# Configured again when the collection changes (not when ansible-test writes tests/output).
file(GLOB_RECURSE collection_files CONFIGURE_DEPENDS ${ONDREL_COLLECTION_DIR}/plugins/*.py
  ${ONDREL_COLLECTION_DIR}/meta/*)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${collection_files}
  ${ONDREL_COLLECTION_DIR}/galaxy.yml ${ONDREL_COLLECTION_DIR}/README.md)
find_program(ONDREL_ANSIBLE_GALAXY ansible-galaxy)
if(ONDREL_ANSIBLE_GALAXY)
  set(galaxy_home ${ONDREL_PACKAGING_DIR}/galaxy-home)
  file(REMOVE_RECURSE ${ONDREL_PACKAGING_DIR}/collection ${galaxy_home})
  file(GLOB old_tarballs ${ONDREL_PACKAGING_DIR}/ondrel-site-*.tar.gz)
  if(old_tarballs)
    file(REMOVE ${old_tarballs})
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${galaxy_home}
      ANSIBLE_HOME=${galaxy_home} ANSIBLE_LOCAL_TEMP=${galaxy_home}/tmp
      ${ONDREL_ANSIBLE_GALAXY} collection build --force --output-path ${ONDREL_PACKAGING_DIR}
      ${ONDREL_COLLECTION_DIR}
    RESULT_VARIABLE failed OUTPUT_QUIET)
  file(GLOB ONDREL_COLLECTION_TARBALL ${ONDREL_PACKAGING_DIR}/ondrel-site-*.tar.gz)
  if(failed OR NOT ONDREL_COLLECTION_TARBALL)
    message(FATAL_ERROR "ansible-galaxy collection build ${ONDREL_COLLECTION_DIR}: failed")
  endif()
  file(ARCHIVE_EXTRACT INPUT ${ONDREL_COLLECTION_TARBALL}
    DESTINATION ${ONDREL_PACKAGING_DIR}/collection)
  file(REMOVE_RECURSE ${galaxy_home})
  install(DIRECTORY ${ONDREL_PACKAGING_DIR}/collection/ DESTINATION ${ONDREL_COLLECTION_DEST})
else()
  message(WARNING "ansible-galaxy not found: the package holds the collection's tree as it is")
  install(DIRECTORY ${ONDREL_COLLECTION_DIR}/ DESTINATION ${ONDREL_COLLECTION_DEST}
    PATTERN "tests" EXCLUDE PATTERN "__pycache__" EXCLUDE PATTERN ".gitignore" EXCLUDE)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ondrel)

configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${ONDREL_PACKAGING_DIR}/changelog @ONLY)
ondrel_gzip(${ONDREL_PACKAGING_DIR}/changelog ${ONDREL_PACKAGING_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PROJECT_SOURCE_DIR}/README.md
  ${ONDREL_PACKAGING_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)
