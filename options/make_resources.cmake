# Builds the options dialog's raw-data resources from the sources in this
# folder. Run with cmake -P at build time:
#   -DSOURCE_DIR=<this folder> -DOUTPUT_DIR=<where to write> -DKIND=rc|cpp
# Writes into OUTPUT_DIR:
#   form_data.txt         FORM_DATA uncompressed (the three sections, CR LF)
#   form_data.gz          the same through CMake's libarchive gzip filter (zlib's deflate)
#   form_data_text.inc    the uncompressed bytes as a C initializer list, for the tests
#   options_resources.rc  (KIND rc)  FORM_NAME, TFRMOPTION and FORM_DATA as RCDATA, inline
#   options_resources.cpp (KIND cpp) the same as byte arrays registered with the platform layer
# The gzip header's modification time is written as 0, so equal sources give equal bytes.
cmake_minimum_required(VERSION 3.25)

foreach(variable SOURCE_DIR OUTPUT_DIR KIND)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "make_resources.cmake needs -D${variable}=...")
  endif()
endforeach()

set(FormName "TFRMOPTION")
set(Separator "\r\n\r\n<=======>\r\n\r\n")

# A text file of the repository (LF line ends, final LF optional) as CR LF text without a
# final line end. Line contents are kept as they are, blanks and semicolons included.
function(read_crlf_text file outVar)
  file(READ "${file}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REGEX REPLACE "\n$" "" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(${outVar} "${text}" PARENT_SCOPE)
endfunction()

function(xml_attribute_escape text outVar)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${outVar} "${text}" PARENT_SCOPE)
endfunction()

# The property-tree description: each line becomes a string literal of the concatenation,
# with CR LF between the lines (not after the last one).
file(READ "${SOURCE_DIR}/property_tree.txt" description)
string(REPLACE "\r\n" "\n" description "${description}")
string(REGEX REPLACE "\n$" "" description "${description}")
set(descriptionXml "")
set(rest "${description}")
while(1)
  string(FIND "${rest}" "\n" newline)
  if(newline EQUAL -1)
    set(line "${rest}")
  else()
    string(SUBSTRING "${rest}" 0 ${newline} line)
    math(EXPR next "${newline} + 1")
    string(SUBSTRING "${rest}" ${next} -1 rest)
  endif()
  if(line MATCHES "[\t\r]" OR line MATCHES " $")
    message(FATAL_ERROR "property_tree.txt: a TAB, CR or trailing blank in \"${line}\"")
  endif()
  xml_attribute_escape("${line}" escaped)
  string(APPEND descriptionXml "      <str value=\"${escaped}\"/>")
  if(newline EQUAL -1)
    break()
  endif()
  string(APPEND descriptionXml "<chr code=\"13\"/><chr code=\"10\"/>\n")
endwhile()

file(READ "${SOURCE_DIR}/script.xml.in" script)
string(REPLACE "@PROPTREE_DESCRIPTION@" "${descriptionXml}" script "${script}")
string(REPLACE "\r\n" "\n" script "${script}")
string(REGEX REPLACE "\n$" "" script "${script}")
string(REPLACE "\n" "\r\n" script "${script}")

read_crlf_text("${SOURCE_DIR}/persisted_properties.txt" properties)
read_crlf_text("${SOURCE_DIR}/frmoption.dfm" form)

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
file(WRITE "${OUTPUT_DIR}/form_data.txt" "${script}${Separator}${FormName}${Separator}${properties}\r\n")
file(WRITE "${OUTPUT_DIR}/form_name.txt" "${FormName}")
file(WRITE "${OUTPUT_DIR}/tfrmoption.txt" "${form}\r\n")
file(REMOVE "${OUTPUT_DIR}/form_data.gz")
file(ARCHIVE_CREATE OUTPUT "${OUTPUT_DIR}/form_data.gz" PATHS "${OUTPUT_DIR}/form_data.txt"
     FORMAT raw COMPRESSION GZip COMPRESSION_LEVEL 9)

# A plain gzip member: magic 1F 8B, method 8 (deflate), no flags (no name, comment or extra
# field); its modification time (bytes 4 to 7) becomes 0.
file(READ "${OUTPUT_DIR}/form_data.gz" gzipHex HEX)
string(SUBSTRING "${gzipHex}" 0 8 gzipStart)
if(NOT gzipStart STREQUAL "1f8b0800")
  message(FATAL_ERROR "form_data.gz does not start as a plain gzip stream: ${gzipStart}")
endif()
string(SUBSTRING "${gzipHex}" 16 -1 gzipRest)
set(gzipHex "${gzipStart}00000000${gzipRest}")

file(READ "${OUTPUT_DIR}/form_name.txt" formNameHex HEX)
file(READ "${OUTPUT_DIR}/tfrmoption.txt" formHex HEX)
file(READ "${OUTPUT_DIR}/form_data.txt" formDataHex HEX)

# hex_lines(HEX PREFIX SUFFIX OUT): the bytes as lines of 16, each byte as PREFIX NN SUFFIX.
function(hex_lines hex prefix suffix outVar)
  string(REPEAT "[0-9a-f]" 32 sixteenBytes)
  string(REGEX REPLACE "(${sixteenBytes})" "\\1\n" lines "${hex}")
  string(REGEX REPLACE "\n$" "" lines "${lines}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "<@\\1@>" lines "${lines}")
  string(REPLACE "<@" "${prefix}" lines "${lines}")
  string(REPLACE "@>" "${suffix}" lines "${lines}")
  set(${outVar} "${lines}" PARENT_SCOPE)
endfunction()

hex_lines("${formDataHex}" "0x" "," formDataList)
file(WRITE "${OUTPUT_DIR}/form_data_text.inc" "${formDataList}\n")

set(names FORM_NAME TFRMOPTION FORM_DATA)
set(hexes formNameHex formHex gzipHex)
if(KIND STREQUAL "rc")
  set(rc "// Generated by options/make_resources.cmake: the options dialog's raw-data resources.\n")
  foreach(name hexVar IN ZIP_LISTS names hexes)
    hex_lines("${${hexVar}}" "\\x" "" lines)
    string(REPLACE "\n" "\",\n  \"" lines "${lines}")
    string(APPEND rc "\n${name} RCDATA\nBEGIN\n  \"${lines}\"\nEND\n")
  endforeach()
  file(WRITE "${OUTPUT_DIR}/options_resources.rc" "${rc}")
elseif(KIND STREQUAL "cpp")
  set(cpp "// Generated by options/make_resources.cmake: the options dialog's raw-data resources,\n")
  string(APPEND cpp "// registered with the platform layer at start-up.\n")
  string(APPEND cpp "#include \"platform/raw_resources.h\"\n\nnamespace {\n\n")
  set(entries "")
  foreach(name hexVar IN ZIP_LISTS names hexes)
    hex_lines("${${hexVar}}" "0x" "," lines)
    string(APPEND cpp "const unsigned char ${name}_Bytes[] = {\n${lines}\n};\n\n")
    string(APPEND entries "    {\"${name}\", ${name}_Bytes, sizeof(${name}_Bytes)},\n")
  endforeach()
  string(APPEND cpp "const cjt::platform::TRawResourceEntry Entries[] = {\n${entries}};\n\n")
  string(APPEND cpp "const bool Registered = [] {\n")
  string(APPEND cpp "  cjt::platform::RegisterRawResources(Entries, sizeof(Entries) / sizeof(Entries[0]));\n")
  string(APPEND cpp "  return true;\n}();\n\n}  // namespace\n")
  file(WRITE "${OUTPUT_DIR}/options_resources.cpp" "${cpp}")
else()
  message(FATAL_ERROR "KIND must be rc or cpp")
endif()
