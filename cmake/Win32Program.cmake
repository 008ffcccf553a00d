# korvu_own_startup(TARGET ENTRY): a program of ours for every 32-bit
# Windows as shipped, run by administrators. Our own entry point ENTRY
# instead of the compiler's C start-up, and no relocations (an .exe always
# loads at its preferred base): both keep it small. No C runtime DLL at
# all: Windows looks for DLLs that are not its own system DLLs in the
# program's folder first, where a download folder or a directory an
# ordinary user made could hold a planted one. So no default libraries;
# the few C routines the code calls come from runtime/ownlib.cpp, built
# without link-time optimisation (calls the compiler makes by itself are
# resolved after it) and without builtins; the rest is Win32 itself and
# libgcc. That line is the folder's, so a folder links one such program.
# A macro, so that it sets the folder's variable.
macro(korvu_own_startup target entry)
  # i686 symbols carry a leading underscore, x86_64 ones do not.
  if(KORVU_ARCH STREQUAL i686)
    set(_korvu_entry _${entry})
  else()
    set(_korvu_entry ${entry})
  endif()
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/runtime/ownlib.cpp)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/runtime/ownlib.cpp PROPERTIES
    COMPILE_OPTIONS "-fno-lto;-fno-builtin;-fno-tree-loop-distribute-patterns")
  target_link_options(${target} PRIVATE -nostartfiles -nodefaultlibs -Wl,-e,${_korvu_entry}
                      -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
  set(CMAKE_CXX_STANDARD_LIBRARIES "-lgcc -lkernel32")
endmacro()
