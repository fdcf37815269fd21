#ifndef DIALWERK_TAPI_CTAPIOBJECT_H
#define DIALWERK_TAPI_CTAPIOBJECT_H

#include "TapiPlatform.h"

#include <memory>

/// Common base of the line, address, call and phone objects.
class CTapiObject {
public:
    CTapiObject() = default;
    CTapiObject(const CTapiObject &) = delete;
    CTapiObject &operator=(const CTapiObject &) = delete;
    virtual ~CTapiObject() = default;

    /// A word that belongs to the application; zero after construction, never read by the layer.
    DWORD_PTR GetItemData() const { return itemData_; }
    void SetItemData(DWORD_PTR data) { itemData_ = data; }

private:
    DWORD_PTR itemData_ = 0;
};

/// Class record of one subclass of `Base`: its name and how to create a default-constructed instance.
/// The session creates every line, address, call and phone through such a record.
template <class Base> struct CTapiClass {
    const char *className;
    std::unique_ptr<Base> (*create)();
};

/// Creation function for class records: `CTapiClass<CTapiLine>{"CMyLine", &TapiCreate<CMyLine, CTapiLine>}`.
template <class Derived, class Base> std::unique_ptr<Base> TapiCreate()
{
    return std::make_unique<Derived>();
}

#endif
