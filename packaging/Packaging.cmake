# What the desktop and software centres expect besides the program and its
# data, for `cmake --install` and the Debian package alike: the desktop entry,
# the icons (drawn by tools/datagen), the AppStream metainfo and the manual
# page. Then the Debian package built by CPack, and the tests of all of these.
#
# The Debian package holds the components "Game" (everything above and the
# game's data) and "DebianPackage": the program in games/ (so /usr/games, as
# Debian keeps games) and the copyright and change log Debian wants in
# share/doc/grovewright. The program finds its data from /usr/games as from
# bin/: in ../share/grovewright. `cmake --install` leaves "DebianPackage" out.

set(GW_SCREENSHOT_URL "" CACHE STRING
  "Web folder where docs/screenshots/ is published; the AppStream metainfo lists screenshots only when it is set")
set(GW_PACKAGE_MAINTAINER "The Grovewright Team <team@grovewright.example>" CACHE STRING
  "Maintainer of the Debian package, as \"Name <address>\"")

set(GW_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${GW_PACKAGING_DIR})

# The screenshots software centres show, from docs/screenshots/, each with its
# caption; the first is the one shown first.
set(GW_SCREENSHOTS
  "magic-cast.png" "A full mana pot's spell breaks a whole area of the board at once"
  "campaign-map.png" "The story map leads from the grove to the dark castle"
  "campaign-level-050.png" "Halfway along the campaign, with new kinds of pieces"
  "game-main-menu.png" "The main menu")

# The <screenshots> element of the metainfo for screenshots published under the
# web folder base. AppStream takes screenshots only as web addresses, so with
# no folder there are none.
function(gw_screenshots_xml base out)
  if(base STREQUAL "")
    set(${out} "  <!-- No screenshots: AppStream takes them only as web addresses (GW_SCREENSHOT_URL). -->"
        PARENT_SCOPE)
    return()
  endif()
  if(NOT base MATCHES "/$")
    string(APPEND base "/")
  endif()
  string(REPLACE "&" "&amp;" base "${base}")
  set(xml "  <screenshots>\n")
  set(type default)
  list(LENGTH GW_SCREENSHOTS count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET GW_SCREENSHOTS ${i} file)
    list(GET GW_SCREENSHOTS ${j} caption)
    set(path ${CMAKE_SOURCE_DIR}/docs/screenshots/${file})
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "The screenshot ${path} for the metainfo is missing")
    endif()
    # A PNG gives its width and height in bytes 16 to 23.
    file(READ ${path} size OFFSET 16 LIMIT 8 HEX)
    string(SUBSTRING ${size} 0 8 width)
    string(SUBSTRING ${size} 8 8 height)
    math(EXPR width "0x${width}")
    math(EXPR height "0x${height}")
    string(APPEND xml "    <screenshot type=\"${type}\">\n"
                      "      <caption>${caption}</caption>\n"
                      "      <image type=\"source\" width=\"${width}\" height=\"${height}\">${base}${file}</image>\n"
                      "    </screenshot>\n")
    set(type extra)
  endforeach()
  string(APPEND xml "  </screenshots>")
  set(${out} "${xml}" PARENT_SCOPE)
endfunction()

set(GW_METAINFO ${GW_PACKAGING_DIR}/${GW_APP_ID}.metainfo.xml)
gw_screenshots_xml("${GW_SCREENSHOT_URL}" GW_METAINFO_SCREENSHOTS)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${GW_APP_ID}.metainfo.xml.in ${GW_METAINFO} @ONLY)
# The same with screenshots under a stand-in address, only for the test stage
# to check the screenshots' markup when no real address is configured.
gw_screenshots_xml("https://grovewright.example/screenshots/" GW_METAINFO_SCREENSHOTS)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${GW_APP_ID}.metainfo.xml.in
               ${GW_PACKAGING_DIR}/screenshots-check.metainfo.xml @ONLY)

# The Debian change log gives the release date in RFC 2822 form.
execute_process(COMMAND date -u -R -d "${GW_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE GW_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE date_result)
if(NOT date_result EQUAL 0)
  message(FATAL_ERROR "GNU date could not read the release date ${GW_RELEASE_DATE}")
endif()
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${GW_PACKAGING_DIR}/changelog @ONLY)

# The manual page and the change log, compressed as Debian wants them (gzip
# -n: no name or time stamp inside, so the same source gives the same bytes).
set(GW_COMPRESSED_DOCS)
foreach(pair "${CMAKE_SOURCE_DIR}/packaging/grovewright.6|grovewright.6.gz"
             "${GW_PACKAGING_DIR}/changelog|changelog.gz")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(
    OUTPUT ${GW_PACKAGING_DIR}/${name}
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${source} ${GW_PACKAGING_DIR}/${name}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND GW_COMPRESSED_DOCS ${GW_PACKAGING_DIR}/${name})
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${GW_COMPRESSED_DOCS})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/${GW_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${GW_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${GW_PACKAGING_DIR}/grovewright.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
if(GW_DATA)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()
install(TARGETS grovewright RUNTIME DESTINATION games COMPONENT DebianPackage EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${GW_PACKAGING_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/grovewright COMPONENT DebianPackage EXCLUDE_FROM_ALL)

# The program's global offset table is made read-only once it is loaded, as
# Debian hardens its programs (only the link changes).
target_link_options(grovewright PRIVATE LINKER:-z,relro,-z,now)

# The Debian package: `cpack` in the build folder writes
# package/grovewright_<version>_<architecture>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME grovewright)
set(CPACK_PACKAGE_VENDOR "The Grovewright Team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Game DebianPackage)
set(CPACK_DEBIAN_PACKAGE_NAME grovewright)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GW_PACKAGE_MAINTAINER}")
# The runtime libraries, as dpkg-shlibdeps finds them in the program.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "match-three puzzle game in an enchanted grove")
# CPack puts the summary on the Description line and this below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Swap two neighbouring pieces to line up three or more of a kind; the lined-up
pieces break the wooden and iron boxes beneath them. Clear every box before the
clock runs out. Matching trees, water, fire and mountains fills four mana pots,
and a full pot arms a spell that breaks a whole area of the board at once.
.
A campaign of 110 levels along a story map, a relaxed mode without the clock,
player profiles, hiscores, and a level editor for level packs of your own.")
include(CPack)

if(BUILD_TESTING)
  set(check ${CMAKE_SOURCE_DIR}/packaging/check.sh)
  add_test(NAME Packaging.AppStreamMetainfo
           COMMAND ${check} appstream ${GW_METAINFO} ${GW_PACKAGING_DIR}/screenshots-check.metainfo.xml)
  add_test(NAME Packaging.DesktopEntry COMMAND ${check} desktop ${CMAKE_SOURCE_DIR}/packaging/${GW_APP_ID}.desktop)
  add_test(NAME Packaging.ManPage COMMAND ${check} manpage ${CMAKE_SOURCE_DIR}/packaging/grovewright.6)
  set(package_tests Packaging.AppStreamMetainfo Packaging.DesktopEntry Packaging.ManPage)
  # The package's name has the machine's architecture in it. Builds under the
  # sanitizers or for fuzzing are not packaged.
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_arch
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE arch_result ERROR_QUIET)
  if(GW_DATA AND arch_result EQUAL 0 AND NOT GW_SANITIZE AND NOT GW_FUZZ)
    set(deb ${CPACK_PACKAGE_DIRECTORY}/grovewright_${PROJECT_VERSION}_${deb_arch}.deb)
    add_test(NAME Packaging.DebBuild COMMAND ${check} deb-build ${CMAKE_BINARY_DIR} ${deb})
    add_test(NAME Packaging.DebLintian
             COMMAND ${check} lintian ${deb} ${CMAKE_SOURCE_DIR}/packaging/lintian-warnings.txt)
    add_test(NAME Packaging.DebInstallPlayRemove COMMAND ${check} deb-install ${deb})
    set_tests_properties(Packaging.DebBuild PROPERTIES FIXTURES_SETUP GwDebPackage)
    set_tests_properties(Packaging.DebLintian Packaging.DebInstallPlayRemove PROPERTIES
                         FIXTURES_REQUIRED GwDebPackage)
    set_tests_properties(Packaging.DebInstallPlayRemove PROPERTIES
                         ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
    list(APPEND package_tests Packaging.DebBuild Packaging.DebLintian Packaging.DebInstallPlayRemove)
  endif()
  set_tests_properties(${package_tests} PROPERTIES SKIP_RETURN_CODE 77 LABELS packaging TIMEOUT 300)
endif()
