#include "monitor/drive_letter_key.h"

#include "platform/inifile.h"
#include "smart/drive_record.h"

namespace qm {

std::string DriveLetterKey(const std::string& modelNumber, const std::string& serialNumber) {
    return NeutralizeIniKey(TrimBlanks(modelNumber) + "-" + TrimBlanks(serialNumber));
}

}  // namespace qm
