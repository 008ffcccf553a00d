# korvu_own_startup(TARGET ENTRY): a program of ours for every 32-bit
# Windows as shipped. Our own entry point ENTRY instead of the compiler's C
# start-up, and no relocations (an .exe always loads at its preferred
# base): both keep it small. On i686 the C library calls resolve against
# crtdll.dll, part of every Windows from NT 3.1 and Windows 95 on, and
# never msvcrt.dll, which came later with other systems and applications:
# crtdll last on the link line and no default libraries, so that nothing
# falls through to msvcrt. That line is the folder's, so a folder links one
# such program. A macro, so that it sets the folder's variable.
macro(korvu_own_startup target entry)
  # i686 symbols carry a leading underscore, x86_64 ones do not.
  if(KORVU_ARCH STREQUAL i686)
    set(_korvu_entry _${entry})
  else()
    set(_korvu_entry ${entry})
  endif()
  target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,${_korvu_entry}
                      -Wl,--disable-dynamicbase -Wl,--disable-reloc-section)
  if(KORVU_ARCH STREQUAL i686)
    target_link_options(${target} PRIVATE -nodefaultlibs)
    set(CMAKE_CXX_STANDARD_LIBRARIES "-lcrtdll -lgcc -lkernel32")
  else()
    target_link_libraries(${target} PRIVATE msvcrt gcc)
  endif()
endmacro()
