# Every target of ours builds warning-clean with the same flags.
function(kem_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()
