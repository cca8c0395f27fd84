# SONARA_SANITIZE=address,undefined or thread instruments every target of the build.
if(SONARA_SANITIZE)
  set(_san -fsanitize=${SONARA_SANITIZE} -fno-omit-frame-pointer)
  if(SONARA_SANITIZE MATCHES "undefined")
    list(APPEND _san -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${_san})
  add_link_options(${_san})
endif()
