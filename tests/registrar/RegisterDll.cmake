# Registers and unregisters the built DLL with the platform's regsvr32 and
# reads the registry back with reg query. Run with -P and
#   WINE_RUN  scripts/wine-run.sh
#   DLL       the built TavrinUpload.dll
#   WORK      a scratch folder (a copy of the DLL goes to "it's here" in it)
# The prefix is left as found: nothing of the library registered.

set(libid "{F37DFF71-0642-4979-ADEE-7101BED583BA}")
set(upload_clsid "{C8E519AB-46ED-4B69-A902-32D7A2961B13}")
set(file_clsid "{E4855702-BE9C-4BB8-9B04-4B7DD5E9808A}")
set(failures 0)

function(fail message)
  message(SEND_ERROR "${message}")
endfunction()

# Runs a program under Wine; sets <prefix>_rc and <prefix>_out (CR removed).
function(wine prefix)
  execute_process(COMMAND ${WINE_RUN} ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REPLACE "\r" "" out "${out}")
  set(${prefix}_rc "${rc}" PARENT_SCOPE)
  set(${prefix}_out "${out}" PARENT_SCOPE)
endfunction()

# The whole subtree of each key as reg query /s prints it, or <absent>, in
# <prefix>_0, <prefix>_1, ... One batch file runs every query, so that Wine
# starts once for all of them.
function(query_all prefix)
  set(bat "@echo off\r\n")
  foreach(key ${ARGN})
    string(APPEND bat "reg query \"${key}\" /s\r\necho ##END## %errorlevel%\r\n")
  endforeach()
  file(WRITE "${WORK}/query.bat" "${bat}")
  windows_path("${WORK}/query.bat" bat_path)
  wine(q cmd /c "${bat_path}")
  set(rest "${q_out}")
  set(i 0)
  foreach(key ${ARGN})
    string(FIND "${rest}" "##END## " at)
    if(at EQUAL -1)
      fail("reg query ${key}: no result in\n${q_out}")
      return()
    endif()
    string(SUBSTRING "${rest}" 0 ${at} part)
    math(EXPR at "${at} + 8")
    string(SUBSTRING "${rest}" ${at} -1 rest)
    string(FIND "${rest}" "\n" eol)
    string(SUBSTRING "${rest}" 0 ${eol} code)
    math(EXPR eol "${eol} + 1")
    string(SUBSTRING "${rest}" ${eol} -1 rest)
    if(NOT code EQUAL 0)
      set(part "<absent>")
    endif()
    set(${prefix}_${i} "${part}" PARENT_SCOPE)
    math(EXPR i "${i} + 1")
  endforeach()
endfunction()

function(query key out)
  query_all(one "${key}")
  set(${out} "${one_0}" PARENT_SCOPE)
endfunction()

function(expect_equal label expected actual)
  if(NOT "${expected}" STREQUAL "${actual}")
    string(MAKE_C_IDENTIFIER "${label}" file)
    file(WRITE "${WORK}/${file}.expected" "${expected}")
    file(WRITE "${WORK}/${file}.actual" "${actual}")
    fail("${label}: see ${WORK}/${file}.expected and .actual")
  endif()
endfunction()

function(regsvr32 label expected_rc)
  wine(r regsvr32 /s ${ARGN})
  if(NOT r_rc EQUAL expected_rc)
    fail("${label}: regsvr32 ${ARGN} gave ${r_rc}, expected ${expected_rc}")
  endif()
endfunction()

function(windows_path unix out)
  string(REPLACE "/" "\\" path "Z:${unix}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# What reg query prints for one class's three keys after registration.
function(expected_class prog desc clsid model dll out)
  set(r "HKEY_CLASSES_ROOT")
  set(text "\n${r}\\${prog}.1\n    (Default)    REG_SZ    ${desc}\n\n")
  string(APPEND text "${r}\\${prog}.1\\CLSID\n    (Default)    REG_SZ    ${clsid}\n\n")
  string(APPEND text "\n${r}\\${prog}\n    (Default)    REG_SZ    ${desc}\n\n")
  string(APPEND text "${r}\\${prog}\\CLSID\n    (Default)    REG_SZ    ${clsid}\n\n")
  string(APPEND text "${r}\\${prog}\\CurVer\n    (Default)    REG_SZ    ${prog}.1\n\n")
  set(c "${r}\\CLSID\\${clsid}")
  string(APPEND text "\n${c}\n    (Default)    REG_SZ    ${desc}\n\n")
  string(APPEND text "${c}\\InprocServer32\n    (Default)    REG_SZ    ${dll}\n")
  string(APPEND text "    ThreadingModel    REG_SZ    ${model}\n\n")
  string(APPEND text "${c}\\ProgID\n    (Default)    REG_SZ    ${prog}.1\n\n")
  string(APPEND text "${c}\\Programmable\n\n")
  string(APPEND text "${c}\\TypeLib\n    (Default)    REG_SZ    ${libid}\n\n")
  string(APPEND text "${c}\\VersionIndependentProgID\n    (Default)    REG_SZ    ${prog}\n\n")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Checks both classes and the type library as registered from `dll`.
function(check_registered label dll)
  query_all(k "HKCR\\TavrinUpload.Upload.1" "HKCR\\TavrinUpload.Upload"
              "HKCR\\CLSID\\${upload_clsid}"
              "HKCR\\TavrinUpload.UploadFile.1" "HKCR\\TavrinUpload.UploadFile"
              "HKCR\\CLSID\\${file_clsid}" "HKCR\\TypeLib\\${libid}")
  expected_class(TavrinUpload.Upload "Upload Class" ${upload_clsid} Apartment "${dll}" e1)
  expect_equal("${label}: Upload" "${e1}" "${k_0}${k_1}${k_2}")
  expected_class(TavrinUpload.UploadFile "UploadFile Class" ${file_clsid} Free "${dll}" e2)
  expect_equal("${label}: UploadFile" "${e2}" "${k_3}${k_4}${k_5}")
  string(FIND "${k_6}" "\\win64\n    (Default)    REG_SZ    ${dll}\n" at)
  if(at EQUAL -1)
    fail("${label}: type library not registered for ${dll}:\n${k_6}")
  endif()
endfunction()

function(check_unregistered label)
  set(keys "HKCR\\TavrinUpload.Upload.1" "HKCR\\TavrinUpload.Upload"
           "HKCR\\TavrinUpload.UploadFile.1" "HKCR\\TavrinUpload.UploadFile"
           "HKCR\\CLSID\\${file_clsid}" "HKCR\\TypeLib\\${libid}")
  query_all(k ${keys})
  set(i 0)
  foreach(key ${keys})
    expect_equal("${label}: ${key}" "<absent>" "${k_${i}}")
    math(EXPR i "${i} + 1")
  endforeach()
  wine(clsid reg query "HKCR\\CLSID")
  if(NOT clsid_rc EQUAL 0)
    fail("${label}: HKCR\\CLSID is gone")
  endif()
endfunction()

windows_path("${DLL}" dll)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Start from nothing registered. Unregistering then succeeds for the class
# scripts; the type library removal fails under Wine, and regsvr32 reports
# a failed DllUnregisterServer as 5.
wine(cleanup regsvr32 /s /u "${DLL}")
regsvr32("unregister when nothing is registered" 5 /u "${DLL}")
check_unregistered("nothing registered")

regsvr32("register" 0 "${DLL}")
check_registered("registered once" "${dll}")
regsvr32("register again" 0 "${DLL}")
check_registered("registered twice" "${dll}")

# A class key that gained a subkey of its own outlives unregistration.
wine(add reg add "HKCR\\CLSID\\${upload_clsid}\\Foreign" /ve /d foreign /f)
regsvr32("unregister with a foreign subkey" 0 /u "${DLL}")
check_unregistered("after unregistration")
query("HKCR\\CLSID\\${upload_clsid}" kept)
expect_equal("class key with a foreign subkey"
  "\nHKEY_CLASSES_ROOT\\CLSID\\${upload_clsid}\n    (Default)    REG_SZ    Upload Class\n\nHKEY_CLASSES_ROOT\\CLSID\\${upload_clsid}\\Foreign\n    (Default)    REG_SZ    foreign\n\n"
  "${kept}")
wine(del reg delete "HKCR\\CLSID\\${upload_clsid}" /f)

# A path with a single quote reads back unchanged.
set(quoted_dir "${WORK}/it's here")
file(REMOVE_RECURSE "${quoted_dir}")
file(MAKE_DIRECTORY "${quoted_dir}")
file(COPY "${DLL}" DESTINATION "${quoted_dir}")
get_filename_component(name "${DLL}" NAME)
windows_path("${quoted_dir}/${name}" quoted_dll)
regsvr32("register from a quoted path" 0 "${quoted_dir}/${name}")
check_registered("quoted path" "${quoted_dll}")
regsvr32("unregister from a quoted path" 0 /u "${quoted_dir}/${name}")
check_unregistered("quoted path unregistered")
query("HKCR\\CLSID\\${upload_clsid}" gone)
expect_equal("quoted path: Upload class key" "<absent>" "${gone}")
