// Linking of expressions and LET rows at the end of translation: names
// that compiled items and LET values hold (queues, blocks, stations,
// functions, expressions, savevalues) become entity numbers, and each
// function defined by an expression gets the expression's number.
#include "model/engine.h"
#include "support/packed_names.h"
#include "translator/expressions.h"
#include "translator/translator.h"

namespace kelvo {

void scan_block_rows(Engine& e, int n) {
  auto& ex = e.expr;
  for (int x = 1; x <= n && x <= k_expr_limit; ++x) {
    for (int i = 1; i <= k_expr_items; ++i) {
      const int4 kind = ex.expr_item_kind[ix(x)][ix(i)];
      if (kind == k_expr_end) break;
      link_entity_word(e, kind, ex.expr_item_arg[ix(x)][ix(i)]);
    }
  }
}

void pack_kind2_names(Engine& e) {
  auto& ex = e.expr;
  const int count = std::min(e.ent.fn.function_count, k_function_limit);
  for (int f = 1; f <= count; ++f) {
    int4 x = ex.fn_expression_name[ix(f)];
    if (x == 0) continue;
    link_entity_word(e, opnd::variable, x);
    ex.ref_class[ix(f)] = -x;
  }
}

void map_operand_refs(Engine& e) {
  for (LetRows* rows : {&e.let.let, &e.let.letp}) {
    for (int r = 1; r <= rows->count && r <= k_let_limit; ++r) {
      link_entity_word(e, rows->opnd_kind[ix(r)], rows->opnd_value[ix(r)]);
    }
  }
}

}  // namespace kelvo
