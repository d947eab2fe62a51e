// Compiled expressions and the references that expressions make to
// functions. The expression compiler fills them; the run-time evaluator
// reads them. 1-based: expression x, item i.
#pragma once

#include <array>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Item kind that ends an expression (a 35-item expression has none).
inline constexpr int4 k_expr_end = -100;

struct ExprTables {
  using Items = std::array<std::array<int4, k_expr_items + 1>, k_expr_limit + 1>;
  // Compiled expressions: expression x is named defn_name[x], the label of
  // its VALUEOF statement or, for an expression written as operand D of
  // statement n, n * 10 + D. Expression compiler; 0 at reset_compile_state.
  int4 defn_count = 0;
  std::array<int4, k_expr_limit + 1> defn_name{};
  // Expression x reads a parameter or the priority (it cannot serve in
  // GENERATE). Expression compiler; false at reset_compile_state.
  std::array<bool, k_expr_limit + 1> defn_uses_param{};
  // Item kind (an operand kind code); -100 ends. Expression compiler; -100 at reset_compile_state.
  Items expr_item_kind{};
  // Operator in front of the item (namespace xop). Same; 0 at reset.
  Items expr_item_op{};
  // Item argument (value, index, name code; an entity number once the end
  // of translation has linked it). Same; 0 at reset.
  Items expr_item_arg{};
  // Function references, indexed by the function's number in the
  // function table. A call FN$name(argument) is an entry of its own:
  // ref_class the called function's class (a built-in function 5..19, or
  // 40 + the number of a function defined by an expression), ref_index
  // and ref_arg the operand kind and index of its argument (a temporary
  // slot). A function defined by an expression: ref_arg the savevalue that
  // takes the argument, ref_class minus the expression's number.
  // Expression compiler and FUNCTION definition; 0 at reset.
  std::array<int4, k_expr_ref_limit + 1> ref_class{};
  std::array<int4, k_expr_ref_limit + 1> ref_arg{};
  std::array<int4, k_expr_ref_limit + 1> ref_index{};
  // The V$ name of a function defined by an expression, until the end of
  // translation links it into ref_class. FUNCTION definition; 0 at reset.
  std::array<int4, k_function_limit + 1> fn_expression_name{};
  // Coded operand references of block operands (a B operand -j names
  // reference j): the operand kind and its index. Translator.
  std::array<int4, k_expr_ref_limit + 1> operand_ref_kind{};
  std::array<int4, k_expr_ref_limit + 1> operand_ref_index{};
};

}  // namespace kelvo
