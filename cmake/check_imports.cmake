# Checks the DLLs the loader brings into the program EXE before it starts (its import tables):
#   cmake -DEXE=<program> -DOBJDUMP=<objdump> -DLATE=<dll;...> -P check_imports.cmake
#     fails when it imports one of LATE, which are to be loaded at their first call;
#   cmake -DEXE=<program> -DOBJDUMP=<objdump> -DKNOWN_ONLY=ON -P check_imports.cmake
#     fails when it imports a DLL that is not one of Windows' known DLLs. Any other DLL is looked for in the
#     program's own folder first, where whoever can write there can put one of the same name.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
# Only the import tables the loader reads at start-up (delay-load tables come under a heading of their own).
string(FIND "${headers}" "The Import Tables" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${EXE} has no import tables")
endif()
string(SUBSTRING "${headers}" ${start} -1 imports)
string(FIND "${imports}" "\nThe " end)
if(NOT end EQUAL -1)
  string(SUBSTRING "${imports}" 0 ${end} imports)
endif()
string(TOLOWER "${imports}" imports)
string(REGEX MATCHALL "dll name: [^\r\n]+" names "${imports}")
list(TRANSFORM names REPLACE "^dll name: (.+)\\.dll$" "\\1")
if(NOT names)
  message(FATAL_ERROR "${EXE}: no imported DLL found in its import tables")
endif()

if(LATE)
  string(TOLOWER "${LATE}" late)
  set(early "")
  foreach(dll IN LISTS late)
    if(dll IN_LIST names)
      list(APPEND early ${dll})
    endif()
  endforeach()
  if(early)
    message(FATAL_ERROR "${EXE} loads ${early} before it starts; they are to be loaded at their first call")
  endif()
  message(STATUS "${EXE} loads none of ${LATE} before it starts")
endif()

if(KNOWN_ONLY)
  # The KnownDLLs of every Windows from 7 to 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs),
  # which the loader maps from its own section objects whatever the folder, and ntdll, which it maps first.
  # comctl32, version, msimg32, oleacc, msi, uxtheme and lz32 are not among them.
  set(known advapi32 clbcatq comdlg32 gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi ntdll ole32 oleaut32
            psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32)
  set(unknown "")
  foreach(dll IN LISTS names)
    if(NOT dll IN_LIST known)
      list(APPEND unknown ${dll})
    endif()
  endforeach()
  if(unknown)
    message(FATAL_ERROR "${EXE} imports ${unknown}, which are not known DLLs (Windows may take them from the "
                        "program's folder); load them at their first call (kqm_delay_import) instead")
  endif()
  message(STATUS "${EXE} imports only known DLLs: ${names}")
endif()
