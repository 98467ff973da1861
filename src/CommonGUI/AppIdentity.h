#pragma once
// Titles of the application and the addresses of the maker's pages.

inline constexpr const char* kApplicationTitle = "Quillbrook 3gp Video Converter";
inline constexpr const char* kMainWindowTitle = "zuDIVidizavo - Quillbrook AVI Video Converter";
// The desktop's name of the application: its desktop entry, icon and metainfo
// (set by the build, which names the installed files after it).
inline constexpr const char* kDesktopAppId = QB_APP_ID;
inline constexpr const char* kVersionLine = "zuDIVidizavo2.2.0.2";

inline constexpr const char* kHomePageAddress = "http://www.quillbrooksoft.example/";
inline constexpr const char* kMoreConvertersAddress = "http://www.quillbrooksoft.example/converters.html";
inline constexpr const char* kDonationAddress = "http://www.quillbrooksoft.example/donate.html";
// The banner page is shipped with the program; there is no network.
inline constexpr const char* kBannerPageAddress = "qrc:/banner/banner.html";
// The updater lies outside this program; it is started from the program's folder.
inline constexpr const char* kUpdaterProgram = "Updater";
