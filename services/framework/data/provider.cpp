#include "framework/data/provider.h"

#include "core/exceptions.h"
#include "framework/data/dataset.h"

Variant TDataSetProvider::GetData() {
    if (!dataSet_) {
        throw EDatabaseError(Name() + ": falta o conjunto de dados do provedor");
    }
    dataSet_->Open();
    return MakePacketVariant(dataSet_->ToPacket());
}
