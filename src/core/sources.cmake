# The Windows-free core: one list for the program and for the native
# sanitizer build (tests/native), with the tests that cover it.
set(TAVRIX_CORE_DIR ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(TAVRIX_CORE_TESTS_DIR ${CMAKE_CURRENT_LIST_DIR}/../../tests/core ABSOLUTE)
set(TAVRIX_CORE_SOURCES
  ${TAVRIX_CORE_DIR}/Exceptions.cpp
  ${TAVRIX_CORE_DIR}/FindFold.cpp
  ${TAVRIX_CORE_DIR}/FolderReconcile.cpp
  ${TAVRIX_CORE_DIR}/FindFoldTable.cpp
  ${TAVRIX_CORE_DIR}/FindTable.cpp
  ${TAVRIX_CORE_DIR}/FindRank.cpp
  ${TAVRIX_CORE_DIR}/KeyHold.cpp
  ${TAVRIX_CORE_DIR}/LogFormat.cpp
  ${TAVRIX_CORE_DIR}/Masks.cpp
  ${TAVRIX_CORE_DIR}/OptionsValues.cpp
  ${TAVRIX_CORE_DIR}/PathText.cpp
  ${TAVRIX_CORE_DIR}/Placement.cpp
  ${TAVRIX_CORE_DIR}/ScreenFit.cpp
  ${TAVRIX_CORE_DIR}/ViewerText.cpp
)
set(TAVRIX_CORE_TEST_SOURCES
  ${TAVRIX_CORE_TESTS_DIR}/FindRankTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/FolderReconcileTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/KeyHoldTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/LogFormatTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/MasksTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/OptionsValuesTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/PathTextTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/PlacementTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/ScreenFitTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/TextConversionTest.cpp
  ${TAVRIX_CORE_TESTS_DIR}/ViewerTextTest.cpp
)
