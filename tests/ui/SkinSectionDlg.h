#pragma once
// A dialog skinned from one section of a skin file, the way the library skins its windows: window
// skin, labels, pictures, buttons, and the browser's slot at "ITEM1".
#include <string>

#include "config/ConfigSection.h"
#include "skin/CZelCommonDlg.h"

namespace tessaly::test {

class SkinSectionDlg : public CZelCommonDlg {
public:
    explicit SkinSectionDlg(std::u16string file, std::u16string section)
        : m_file(std::move(file)), m_section(std::move(section))
    {
    }

    bool found = false;  // whether the file had the section

protected:
    bool OnInitDialog() override
    {
        found = ReadConfigSection(m_file, m_section,
                                  [this](const XmlElement* s, const std::u16string& d) { ParseSection(s, d); });
        if (!found)
            return true;
        ApplyWindowSkin();
        CreateLabels();
        CreatePictures();
        CreateButtons();
        PlaceTemplateControl(kTemplateId, u"ITEM1");
        return true;
    }

private:
    std::u16string m_file;
    std::u16string m_section;
};

}  // namespace tessaly::test
