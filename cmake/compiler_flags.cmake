# Warnings and the floating-point policy shared by every target.
# Every float operation must round once: no contraction into fused
# multiply-add and never fast-math, so single-precision results are
# reproducible.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)

# float-cast-overflow is not part of "undefined": a model's number too large
# for the integer it becomes must stop the sanitizer build too.
if(KELVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow
                      -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()
