# The packages the editor ships: the repository's Packages/ folder, which a
# development build mounts as it stands, and the build tree's Packages/
# folder for what is found on the machine instead of being kept in the
# repository (the English dictionary). A development build mounts the build
# tree's folder after the repository's.

set(VANTREL_SHARED_PACKAGES_DIR ${CMAKE_BINARY_DIR}/Packages)

# The English dictionary comes from Debian's hunspell-en-us package.
find_path(VANTREL_HUNSPELL_DIR en_US.dic PATHS /usr/share/hunspell /usr/share/myspell/dicts NO_DEFAULT_PATH)
if(VANTREL_HUNSPELL_DIR AND EXISTS ${VANTREL_HUNSPELL_DIR}/en_US.aff)
  foreach(extension dic aff)
    configure_file(${VANTREL_HUNSPELL_DIR}/en_US.${extension}
      "${VANTREL_SHARED_PACKAGES_DIR}/Language - English/en_US.${extension}" COPYONLY)
  endforeach()
  if(EXISTS /usr/share/doc/hunspell-en-us/copyright)
    configure_file(/usr/share/doc/hunspell-en-us/copyright
      "${VANTREL_SHARED_PACKAGES_DIR}/Language - English/LICENSE" COPYONLY)
  endif()
else()
  message(WARNING "en_US.dic of hunspell-en-us not found: spelling will have no dictionary")
endif()

# Both test programs read the packages through the test support library.
target_compile_definitions(vantrel_test_support PUBLIC
  VANTREL_PACKAGES_DIR="${CMAKE_SOURCE_DIR}/Packages"
  VANTREL_SHARED_PACKAGES_DIR="${VANTREL_SHARED_PACKAGES_DIR}"
  VANTREL_PENDING_COMMANDS="${CMAKE_SOURCE_DIR}/tests/packages/pending_commands.txt")

# The drawn theme images and the copied grammars match their scripts.
add_test(NAME theme_images
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/draw_theme.py --check)
add_test(NAME language_packages
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/import_grammars.py --check)
