# The automation seam and its backends: the workbook engine (everywhere), the
# spreadsheet application through ActiveX (Windows with ActiveQt), and a
# recorder for the tests.
add_library(norvale_automation STATIC
  Automation.cpp Automation.h
  AutomationRecorder.cpp AutomationRecorder.h
  WorkbookEngine.cpp WorkbookEngine.h
  WorkbookEngineSheet.cpp WorkbookEngineSheet.h
  WorkbookEngineWriter.cpp WorkbookEngineWriter.h)
target_include_directories(norvale_automation PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(norvale_automation PUBLIC Qt6::Core PRIVATE norvale_platform Qt6::Gui PkgConfig::XLSXWRITER)

if(WIN32)
  find_package(Qt6 QUIET COMPONENTS AxContainer)
  if(TARGET Qt6::AxContainer)
    target_sources(norvale_automation PRIVATE AxAutomation.cpp AxAutomation.h)
    target_link_libraries(norvale_automation PRIVATE Qt6::AxContainer)
    target_compile_definitions(norvale_automation PRIVATE NORVALE_HAVE_AXCONTAINER)
  endif()
endif()
