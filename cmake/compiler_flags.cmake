# Warnings and the floating-point policy shared by every target.
# Every float operation must round once: no contraction into fused
# multiply-add and never fast-math, so single-precision results are
# reproducible.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)

if(KELVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
