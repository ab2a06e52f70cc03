#include "DmsTexts.h"

namespace kestrel {

const wchar_t* DmsErrorFormat(DmsInputError error) {
    switch (error) {
    case DmsInputError::HostTooLong: return kHostTooLongFormat;
    case DmsInputError::HostInvalidChar: return kHostInvalidCharFormat;
    case DmsInputError::PortInvalid: return kPortInvalidText;
    case DmsInputError::RetryInvalid: return kRetryInvalidText;
    case DmsInputError::None: break;
    }
    return L"";
}

}  // namespace kestrel
