# One place for warning and sanitizer flags. Every project target calls
# nivora_target_defaults() so that the flags cannot drift apart.

add_library(nivora_compiler_options INTERFACE)

if(MSVC)
  target_compile_options(nivora_compiler_options INTERFACE /W4 /permissive- /utf-8)
  if(NIVORA_WERROR)
    target_compile_options(nivora_compiler_options INTERFACE /WX)
  endif()
else()
  target_compile_options(nivora_compiler_options INTERFACE -Wall -Wextra -Wpedantic)
  if(NIVORA_WERROR)
    target_compile_options(nivora_compiler_options INTERFACE -Werror)
  endif()
  if(NIVORA_SANITIZE)
    target_compile_options(nivora_compiler_options INTERFACE
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(nivora_compiler_options INTERFACE -fsanitize=address,undefined)
  endif()
endif()

# Qt: no implicit conversions between 8-bit and wide text; byte strings are
# converted explicitly with the system code page or Latin-1.
target_compile_definitions(nivora_compiler_options INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER)

function(nivora_target_defaults target)
  target_link_libraries(${target} PRIVATE nivora_compiler_options)
endfunction()
