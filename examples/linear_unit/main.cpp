// A host of taviGeoprocessing: creates a linear unit by its class identifier, sets its text, prints its text.
#include <tavi/Entry.h>
#include <tavi/GPUnits.h>
#include <tavi/GPValue.h>

#include <cstdio>

int main() {
    IClassFactory* factory = nullptr;
    IGPValue* unit = nullptr;
    if (FAILED(DllGetClassObject(CLSID_GPLinearUnit, IClassFactory::iid, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IGPValue::iid, reinterpret_cast<void**>(&unit))))
        return 1;
    IGPMessage* message = nullptr; // a warning or error about the text, if there is one
    BSTR text = nullptr;
    if (FAILED(unit->SetAsText(u"5 meters", &message)) || FAILED(unit->GetAsText(&text)))
        return 1;
    for (const char16_t* c = text; *c; ++c)
        std::putchar(*c < 0x80 ? static_cast<char>(*c) : '?'); // a unit's text is ASCII
    std::putchar('\n');
    SysFreeString(text);
    if (message)
        message->Release();
    unit->Release();
    factory->Release();
    return 0;
}
