# A Debian package of both programs with their manual pages, the desktop entry, the icon,
# the AppStream metainfo, the bash completion, the copyright and the changelog: `cpack -G DEB`
# in a build folder (scripts/package.sh does all of it and checks it).
set(LODRA05_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(LODRA05_PACKAGED ${PROJECT_BINARY_DIR}/packaging)
set(LODRA05_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/lodra05)

# The changelog's newest entry is the release: its version must be project()'s, and its
# date goes into the manual pages and the metainfo.
file(STRINGS ${LODRA05_PACKAGING}/changelog changelog)
list(GET changelog 0 newest)
if(NOT newest MATCHES "^lodra05 \\(([^)]+)\\) ")
  message(FATAL_ERROR "packaging/changelog: the first line names no version: ${newest}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog begins with version ${CMAKE_MATCH_1}, "
                      "project() says ${PROJECT_VERSION}: add an entry for ${PROJECT_VERSION}")
endif()
foreach(line IN LISTS changelog)
  if(line MATCHES "^ -- .*>  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9]+) ")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1")
    if(month LESS 10)
      set(month 0${month})
    endif()
    set(LODRA05_RELEASE_DATE ${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1})
    break()
  endif()
endforeach()
if(NOT LODRA05_RELEASE_DATE)
  message(FATAL_ERROR "packaging/changelog: the newest entry has no trailer line with a date")
endif()

# lodra05_gzip(SOURCE DESTINATION): installs SOURCE compressed as Debian wants it, at the
# highest level and without the name and time of the uncompressed file.
set(LODRA05_COMPRESSED)
function(lodra05_gzip source destination)
  get_filename_component(name ${source} NAME)
  file(RELATIVE_PATH where ${PROJECT_BINARY_DIR} ${source})
  string(REPLACE "/" "_" where ${where})
  set(out ${LODRA05_PACKAGED}/gz/${where}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${LODRA05_PACKAGED}/gz
    COMMAND sh -c "gzip -9nc \"$1\" > \"$2\"" gzip ${source} ${out}
    DEPENDS ${source} VERBATIM)
  install(FILES ${out} DESTINATION ${destination} RENAME ${name}.gz)
  set(LODRA05_COMPRESSED ${LODRA05_COMPRESSED} ${out} PARENT_SCOPE)
endfunction()

configure_file(${LODRA05_PACKAGING}/changelog ${LODRA05_PACKAGED}/changelog COPYONLY)
lodra05_gzip(${LODRA05_PACKAGED}/changelog ${LODRA05_DOCDIR})
install(FILES ${LODRA05_PACKAGING}/copyright DESTINATION ${LODRA05_DOCDIR})

# The manual pages: English in man1, Swedish in sv/man1, for each program that is built.
set(LODRA05_PROGRAMS)
if(LODRA05_BUILD_UI)
  list(APPEND LODRA05_PROGRAMS lodra05)
endif()
if(LODRA05_BUILD_BATCH)
  list(APPEND LODRA05_PROGRAMS lodra05-batch)
endif()
foreach(program IN LISTS LODRA05_PROGRAMS)
  foreach(language "" sv/)
    set(page ${LODRA05_PACKAGED}/man/${language}${program}.1)
    configure_file(${LODRA05_PACKAGING}/man/${language}${program}.1.in ${page} @ONLY)
    lodra05_gzip(${page} ${CMAKE_INSTALL_MANDIR}/${language}man1)
  endforeach()
endforeach()

if(LODRA05_BUILD_UI)
  set(metainfo se.lodra05.lodra05.metainfo.xml)
  configure_file(${LODRA05_PACKAGING}/${metainfo}.in ${LODRA05_PACKAGED}/${metainfo} @ONLY)
  install(FILES ${LODRA05_PACKAGED}/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The batch tool's bash completion, written from its --help, so that it offers every option
# the program has.
set(LODRA05_GENERATED ${LODRA05_COMPRESSED})
if(LODRA05_BUILD_BATCH)
  set(completion ${LODRA05_PACKAGED}/completions/lodra05-batch)
  add_custom_command(OUTPUT ${completion}
    COMMAND ${CMAKE_COMMAND} -DBIN=$<TARGET_FILE:lodra05-batch>
            -DTEMPLATE=${LODRA05_PACKAGING}/lodra05-batch.bash-completion.in
            -DOUT=${completion} -P ${LODRA05_PACKAGING}/completion.cmake
    DEPENDS lodra05-batch ${LODRA05_PACKAGING}/lodra05-batch.bash-completion.in
            ${LODRA05_PACKAGING}/completion.cmake
    VERBATIM)
  install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
  list(APPEND LODRA05_GENERATED ${completion})
endif()
add_custom_target(packaging ALL DEPENDS ${LODRA05_GENERATED})

set(CPACK_PACKAGE_NAME lodra05)
set(CPACK_PACKAGE_VENDOR "Lodra05-teamet")
set(CPACK_PACKAGE_CONTACT "Lodra05-teamet <team@lodra05.se>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator for fellings and present value of a forest stand")
set(CPACK_PACKAGE_DESCRIPTION
    "Lodra05 is a desktop calculator for managing a forest stand, with a Swedish\n\
user interface. From the stand's parameters and up to ten sample-tree\n\
diameters it simulates the stand in five-year cycles, fells the trees above\n\
the felling diameter, values the fellings and discounts them to a present\n\
value per hectare, and writes a report that it shows and saves.\n\
.\n\
The batch tool lodra05-batch calculates whole stand registers from the\n\
command line, with the same figures as the desktop program.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lodra05.se/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the programs link (Qt PrintSupport among them) come from dpkg-shlibdeps;
# what Qt loads at run time is named here: the window system plugins, the SVG icon engine
# that draws the program's icon, and Qt's own Swedish texts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n")
include(CPack)
