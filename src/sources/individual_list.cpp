#include "sources/individual_list.h"

#include "settings/ini_file.h"
#include "sources/individual_list_text.h"
#include "sources/picture_acceptance.h"

std::vector<std::wstring> StoredIndividualListPaths() {
    return IndividualListCandidates(IniReadCodeSection(kIndividualListKey));
}

void LoadIndividualPictures(PictureList& list) {
    list.Clear();
    for (const std::wstring& path : StoredIndividualListPaths()) {
        if (IsAcceptedPicture(path)) list.Insert(path);
    }
}

bool SaveIndividualPictures(const std::vector<std::wstring>& paths) {
    return IniWriteCodeSection(kIndividualListKey, IndividualListText(paths));
}
