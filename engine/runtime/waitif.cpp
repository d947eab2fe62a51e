// Re-tests of waiting WAITIF conditions.
// Takes the WAITIF waiters' chain; releases the waiters whose condition
// now holds. The translator refuses WAITIF, so no transaction waits and
// the chain is always empty.
#include "runtime/waitif.h"

namespace kelvo {

void scan_waitif_chain(Engine&) {}

void scan_waitif_lists(Engine&, int) {}

}  // namespace kelvo
