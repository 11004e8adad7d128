#include "schedule/TStatFlg.h"

namespace brellow {

void TStacFlg::Toggle()
{
    flag = flag == 0 ? 1 : 0;
}

void TStacFlg::Clear()
{
    flag = 0;
}

int32_t TStacFlg::Value() const
{
    return flag;
}

}  // namespace brellow
