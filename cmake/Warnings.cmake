# Warnings apply to our own targets only, never to Qt's generated sources.
add_library(rowsmith_warnings INTERFACE)
target_compile_options(rowsmith_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  $<$<BOOL:${ROWSMITH_WERROR}>:-Werror>)
