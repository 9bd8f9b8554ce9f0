#include "ui/web_commands.h"

std::wstring FooterMakerLine() { return L""; }
bool OpenCommandPage(int) { return false; }
bool OpenStackingFaq() { return false; }
