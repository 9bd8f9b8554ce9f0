#include "ui/web_commands.h"

#include "lang/language_archive.h"
#include "lang/text_ids.h"
#include "res/resource.h"
#include "web/web_address.h"

std::wstring FooterMakerLine() { return MakerLine(LangHeaderString(kHeaderMakerNotice), CurrentWebRegion()); }

bool OpenCommandPage(int commandId) {
    switch (commandId) {
        case IDC_FAQ:
            return OpenWebAddress(FaqAddress(WebRoot()));
        case IDC_DONATE:
            return OpenWebAddress(DonateAddress(WebRoot()));
        case IDC_FOOTER_TOOLBAR: {
            const bool german = GermanInterface();
            return OpenWebAddress(ThanksAddress(LangHeaderString(ProgramPageHeaderText(german)), german));
        }
        default:
            return false;
    }
}

bool OpenStackingFaq() { return OpenWebAddress(FaqStackingAddress(WebRoot())); }
