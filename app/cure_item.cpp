#include "cure_item.h"

namespace wrkdsht {

QString& CureItem()
{
    static QString item;
    return item;
}

} // namespace wrkdsht
