#include "platform/dataset/packet.h"

#include "platform/text/apperror.h"

PacketTable ReadPacket(QByteArrayView) {
    throw AppError(QStringLiteral("packet reader not built yet"));
}
