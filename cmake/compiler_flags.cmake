# Warnings and the floating-point policy shared by every target.
# Every float operation must round once: no contraction into fused
# multiply-add and never fast-math, so single-precision results are
# reproducible.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)

# No automatic vectorisation: it joins neighbouring loads into one wide load,
# and where the words were just written one by one (a transaction's words,
# written by the blocks and then filed), the processor cannot forward the
# separate stores to the wide load and waits for them to reach the cache.
# The engine's tables are small; it gains nothing from vectors.
add_compile_options(-fno-tree-vectorize)

# float-cast-overflow is not part of "undefined": a model's number too large
# for the integer it becomes must stop the sanitizer build too.
if(KELVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined,float-cast-overflow
                      -fno-sanitize-recover=undefined,float-cast-overflow -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()
