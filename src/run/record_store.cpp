// The fixed array of experiment records and the count of those in use.
#include "run/record_store.h"

int record_store::take_next()
{
    if (full())
        return -1;
    const int index = count_;
    reset_record(records_[size_t(index)]);
    ++count_;
    return index;
}

bool record_store::shrink_to(int count)
{
    if (count < 0 || count > count_)
        return false;
    for (int i = count; i < count_; ++i)
        reset_record(records_[size_t(i)]);
    count_ = uint8_t(count);
    return true;
}
