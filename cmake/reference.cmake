# The reference pages (build/x64/reference), made from the public headers, the export lists and the Lua
# registry tables by tools/reference.py whenever one of them changes. docs/reference is the committed copy;
# a test fails when it differs.
file(GLOB tarvo_reference_inputs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/include/*.h ${CMAKE_SOURCE_DIR}/*/exports.def
     ${CMAKE_SOURCE_DIR}/lua/*.cpp ${CMAKE_SOURCE_DIR}/*/*.hpp)
file(GLOB tarvo_reference_generator CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/reference*.py)
set(TARVO_REFERENCE_DIR ${CMAKE_BINARY_DIR}/reference)
add_custom_command(OUTPUT ${TARVO_REFERENCE_DIR}/names.tsv
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/reference.py ${CMAKE_SOURCE_DIR} ${TARVO_REFERENCE_DIR}
  DEPENDS ${tarvo_reference_generator} ${tarvo_reference_inputs}
  COMMENT "Writing the reference" VERBATIM)
add_custom_target(reference ALL DEPENDS ${TARVO_REFERENCE_DIR}/names.tsv)
