# Expat and bzip2 come from cmake/setup.sh, libgcrypt and GoogleTest from Debian.
foreach(lib expatw bz2)
  if(NOT EXISTS "${DEPS_PREFIX}/lib/lib${lib}.a")
    message(FATAL_ERROR "lib${lib}.a is missing in ${DEPS_PREFIX}: run cmake/setup.sh first")
  endif()
endforeach()

add_library(expat STATIC IMPORTED GLOBAL)
set_target_properties(expat PROPERTIES
  IMPORTED_LOCATION "${DEPS_PREFIX}/lib/libexpatw.a"
  INTERFACE_INCLUDE_DIRECTORIES "${DEPS_PREFIX}/include"
  INTERFACE_COMPILE_DEFINITIONS "XML_STATIC;XML_UNICODE;XML_UNICODE_WCHAR_T")

add_library(bz2 STATIC IMPORTED GLOBAL)
set_target_properties(bz2 PROPERTIES
  IMPORTED_LOCATION "${DEPS_PREFIX}/lib/libbz2.a"
  INTERFACE_INCLUDE_DIRECTORIES "${DEPS_PREFIX}/include")

find_library(GPG_ERROR_LIBRARY NAMES libgpg-error.a REQUIRED)
find_library(GCRYPT_LIBRARY NAMES libgcrypt.a REQUIRED)
add_library(gcrypt STATIC IMPORTED GLOBAL)
set_target_properties(gcrypt PROPERTIES
  IMPORTED_LOCATION "${GCRYPT_LIBRARY}"
  INTERFACE_LINK_LIBRARIES "${GPG_ERROR_LIBRARY};ws2_32")
