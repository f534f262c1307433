# Every executable and DLL of the Windows build gets platform/win32/runtime/TickCount64.cpp,
# which supplies GetTickCount64 with a fall-back for Windows XP (see its header), without
# asking for it: a target added anywhere below the top-level CMakeLists.txt links it.
# An object library, so that its definition is part of every link whether or not the
# linker has yet seen the thread runtime's reference to it.
if(WIN32)
  add_library(tessaly_tick_count64 OBJECT
    ${PROJECT_SOURCE_DIR}/platform/win32/runtime/TickCount64.cpp)
  target_include_directories(tessaly_tick_count64 PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(tessaly_tick_count64 PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
    NOMINMAX _WIN32_WINNT=0x0501)
  tessaly_warnings(tessaly_tick_count64)

  set(module_type "$<TARGET_PROPERTY:TYPE>")
  set(linked_module
    "$<OR:$<STREQUAL:${module_type},EXECUTABLE>,$<STREQUAL:${module_type},SHARED_LIBRARY>,$<STREQUAL:${module_type},MODULE_LIBRARY>>")
  link_libraries("$<${linked_module}:tessaly_tick_count64>")
  unset(module_type)
  unset(linked_module)
endif()
