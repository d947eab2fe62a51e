// Compiled expressions and expression definitions. The expression
// compiler fills them; the run-time evaluator reads them.
// 1-based: expression e, item i.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Item kind that ends an expression (a 35-item expression has none).
inline constexpr int4 k_expr_end = -100;

struct ExprTables {
  using Items = std::array<std::array<int4, k_expr_items + 1>, k_expr_limit + 1>;
  // Compiled expressions. Expression compiler; 0 at reset_compile_state.
  int4 expr_count = 0;
  // Item kind (an operand kind code); -100 ends. Expression compiler; -100 at reset_compile_state.
  Items expr_item_kind{};
  // Operator in front of the item: 1 + 2 - 3 * 4 / 5 store 6 %. Same; 0 at reset.
  Items expr_item_op{};
  // Item argument (value, index, name code). Same; 0 at reset.
  Items expr_item_arg{};
  // Expression definitions (V$name): count, packed name, compiled expression. Translator; 0 at reset.
  int4 defn_count = 0;
  std::array<int4, k_defn_limit + 1> defn_name{};
  std::array<int4, k_defn_limit + 1> defn_expr{};
  // True when definition d refers to a parameter or the priority. Translator.
  std::array<bool, k_defn_limit + 1> defn_uses_param{};
  // References from expressions: class, argument, index. Expression compiler; 0 at reset.
  int4 ref_count = 0;
  std::array<int4, k_expr_ref_limit + 1> ref_class{};
  std::array<int4, k_expr_ref_limit + 1> ref_arg{};
  std::array<int4, k_expr_ref_limit + 1> ref_index{};
  // Coded operand references of block operands (a B operand -j names
  // reference j): the operand kind and its index. Translator.
  std::array<int4, k_expr_ref_limit + 1> operand_ref_kind{};
  std::array<int4, k_expr_ref_limit + 1> operand_ref_index{};
};

}  // namespace kelvo
