#include "html/WebBrowser2.h"

namespace {

const DISPID kDispidApplication = 200;

} // namespace

IWebBrowser2* QueryWebBrowser2(IDispatch* pControl)
{
    if (!pControl)
        return nullptr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = pControl->Invoke(kDispidApplication, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  &result, nullptr, nullptr);
    IWebBrowser2* pBrowser = nullptr;
    if (SUCCEEDED(hr) && result.vt == VT_DISPATCH && result.pdispVal) {
        if (FAILED(result.pdispVal->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&pBrowser))))
            pBrowser = nullptr;
    }
    VariantClear(&result);
    return pBrowser;
}
