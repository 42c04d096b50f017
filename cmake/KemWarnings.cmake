# Every target of ours builds warning-clean with the same flags; with
# KEM_WERROR (on in scripts/test.sh, and so in CI) a warning fails the build.
function(kem_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic $<$<BOOL:${KEM_WERROR}>:-Werror>)
endfunction()
