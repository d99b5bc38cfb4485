# One interface target carries the language level, warnings, definitions and
# sanitizer flags; every target of the project links it.
add_library(tarnel_config INTERFACE)
target_compile_features(tarnel_config INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(tarnel_config INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(tarnel_config INTERFACE
  QT_NO_KEYWORDS
  QT_USE_QSTRINGBUILDER
  QT_DISABLE_DEPRECATED_UP_TO=0x060400)
if(TARNEL_SANITIZE)
  target_compile_options(tarnel_config INTERFACE -fsanitize=${TARNEL_SANITIZE} -fno-omit-frame-pointer)
  target_link_options(tarnel_config INTERFACE -fsanitize=${TARNEL_SANITIZE})
endif()

# Production code spells out every text's encoding; tests may use literals.
add_library(tarnel_strict INTERFACE)
target_compile_definitions(tarnel_strict INTERFACE QT_NO_CAST_FROM_ASCII)
