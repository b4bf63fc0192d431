#include "contacts/PhoneNumbersModule.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <cstring>
#include <string>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

extern "C" __attribute__((visibility("default"))) int
varnelo_international_number(const char* text, const char* region, char* out, int outSize) {
    // The rules are read once, on the first call; the instance is safe across threads.
    const PhoneNumberUtil* rules = PhoneNumberUtil::GetInstance();
    PhoneNumber number;
    if (rules->Parse(text, region, &number) != PhoneNumberUtil::NO_PARSING_ERROR ||
        !rules->IsValidNumber(number))
        return 0;
    std::string international;
    rules->Format(number, PhoneNumberUtil::E164, &international);
    if (int(international.size()) >= outSize)
        return -1;
    std::memcpy(out, international.c_str(), international.size() + 1);
    return int(international.size());
}
