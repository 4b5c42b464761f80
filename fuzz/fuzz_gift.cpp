// The Gift reader against random input (see readercheck.h).
#include "gift.h"
#include "readercheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReaderCheck::check(data, size, Gift::read, Gift::write, ReaderCheck::anyQuestion);
    return 0;
}
