#pragma once
// The template of the tracking report, carried in the program: the page in
// tracking/vorlage.html, turned into a wide text when the program is built.
const wchar_t* Tracking_Vorlage();
