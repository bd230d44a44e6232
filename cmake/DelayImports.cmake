# Delay-loaded system libraries. A program linked with swiftlet_delay_<name> instead of
# <name> maps the DLL only when it first calls one of its functions, not when the process
# starts: a job that never shows a window then never loads user32 or gdi32 (under Wine
# their start-up alone reads every installed font), and a process that never asks the
# shell or COM for anything never loads shell32 or ole32.
#
# The delay-import library is made from the toolchain's own import library, at configure
# time: every function it imports becomes a stub that loads the DLL and binds the function
# on its first call. Caveat of binutils' x64 stubs: they keep the four integer argument
# registers but not xmm0-xmm3, so a delay-loaded function must not take floating-point
# arguments (none of the functions the program calls does).

# Functions of an import library: members that define both the function and its import
# pointer (data exports define only the pointer).
function(_swiftlet_import_functions library out)
  execute_process(COMMAND ${CMAKE_NM} -g ${library} OUTPUT_VARIABLE _symbols
                  RESULT_VARIABLE _rc ERROR_QUIET)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "cannot list ${library}")
  endif()
  string(REGEX MATCHALL "[0-9a-fA-F]+ I __imp_[A-Za-z0-9_@?$]+" _imports "${_symbols}")
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z0-9_@?$]+" _code "${_symbols}")
  set(_defined)
  foreach(_line IN LISTS _code)
    string(REGEX REPLACE "^.* T " "" _name "${_line}")
    list(APPEND _defined ${_name})
  endforeach()
  set(_functions)
  foreach(_line IN LISTS _imports)
    string(REGEX REPLACE "^.* I __imp_" "" _name "${_line}")
    if(_name IN_LIST _defined)
      list(APPEND _functions ${_name})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES _functions)
  set(${out} ${_functions} PARENT_SCOPE)
endfunction()

# swiftlet_delay_import(<name> <dll>): the imported library target swiftlet_delay_<name>.
function(swiftlet_delay_import name dll)
  set(_dir ${CMAKE_BINARY_DIR}/delayimp)
  set(_lib ${_dir}/lib${name}_delay.a)
  find_library(_import_${name} NAMES lib${name}.a ${name} NO_CACHE REQUIRED)
  if(NOT EXISTS ${_lib} OR ${_import_${name}} IS_NEWER_THAN ${_lib})
    _swiftlet_import_functions(${_import_${name}} _functions)
    list(JOIN _functions "\n" _exports)
    file(WRITE ${_dir}/${name}.def "LIBRARY ${dll}\nEXPORTS\n${_exports}\n")
    if(NOT CMAKE_DLLTOOL)
      find_program(CMAKE_DLLTOOL NAMES ${CMAKE_CXX_COMPILER_TARGET}-dlltool x86_64-w64-mingw32-dlltool dlltool REQUIRED)
    endif()
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${_dir}/${name}.def --output-delaylib ${_lib}
                    WORKING_DIRECTORY ${_dir} RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "dlltool could not make ${_lib}")
    endif()
  endif()
  add_library(swiftlet_delay_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(swiftlet_delay_${name} PROPERTIES IMPORTED_LOCATION ${_lib})
endfunction()
