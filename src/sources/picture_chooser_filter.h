#pragma once

#include <string>
#include <string_view>
#include <vector>

// The filter of the "...." file chooser of the picture selection dialog: a first pair that shows
// every picture file the program takes, then "(*.*)" / "*.*".
//
// The first pair lists the classic formats first, as the chooser always did ("(*.jpg,*.jpeg,
// *.png,*.bmp,*.gif,..." / "*.jpg;*.jpeg;*.png;*.bmp;*.gif;..."), then the other formats GDI+
// decodes, the modern photo formats that codecs of the system bring (HEIC/HEIF, WebP, AVIF,
// JPEG XR, DDS, DNG and the common camera raw formats), and last whatever further extensions the
// installed decoders name. Each extension once, in lower case.

// The extensions the chooser lists whatever is installed, without their dots.
const std::vector<std::wstring>& KnownPictureExtensions();

// The extensions of a decoder's list as the system's imaging component gives it (".bmp,.dib"
// or ".jpg;.jpeg", dots optional, blanks around them ignored), in lower case without dots; an
// entry that is not a plain extension (empty, with a wildcard, a blank, a path character or a
// further dot inside) is left out.
std::vector<std::wstring> SplitExtensionList(std::wstring_view list);

// KnownPictureExtensions, then every further extension of `installedLists` (each as
// SplitExtensionList reads it), each once.
std::vector<std::wstring> PictureChooserExtensions(const std::vector<std::wstring>& installedLists);

// The filter text for OPENFILENAMEW::lpstrFilter: the pairs, each string ended by a null; the
// string's own terminating null ends the list.
std::wstring PictureChooserFilter(const std::vector<std::wstring>& installedLists);
