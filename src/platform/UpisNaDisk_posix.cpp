#include "platform/UpisNaDisk.h"

#include <fcntl.h>

namespace morvela {

void PočniUpisNaDisk(QFile& datoteka, qint64 od, qint64 dužina) {
#ifdef __linux__
    ::sync_file_range(datoteka.handle(), od, dužina, SYNC_FILE_RANGE_WRITE);
#else
    (void)datoteka, (void)od, (void)dužina;
#endif
}

} // namespace morvela
