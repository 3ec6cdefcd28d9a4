#include <gtest/gtest.h>

#include "TempFile.h"
#include "core/XmlHelpers.h"

namespace {
const char* kParticles = R"(<?xml version="1.0"?>
<PARTICLES>
  <SYSTEM name="Explosion">
    <EMISSION rate="12.5" count="abc" partial="1.5x">
      <minvel x="-1" y="2.5" z="3"/>
      <maxvel x="4" z="6"/>
    </EMISSION>
    <TECHNIQUE>
        Phong1Opaque
    </TECHNIQUE>
    <NAME>  two
       words </NAME>
  </SYSTEM>
</PARTICLES>
)";
}

TEST(XmlHelpers, ReadsAGoodFile)
{
    TempFile file(kParticles, ".xml");
    tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE);
    ASSERT_EQ(doc.LoadFile(file.Path().c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* system = XmlFindChildElement(doc.RootElement(), "SYSTEM");
    ASSERT_NE(system, nullptr);
    const tinyxml2::XMLElement* emission = XmlFindChildElement(system, "EMISSION");
    ASSERT_NE(emission, nullptr);
    EXPECT_EQ(XmlFindChildElement(system, "NOSUCH"), nullptr);

    float value = -7.0f;
    EXPECT_EQ(XmlQueryFloatAttribute(emission, "rate", &value), 0);
    EXPECT_EQ(value, 12.5f);
    value = -7.0f;
    EXPECT_EQ(XmlQueryFloatAttribute(emission, "count", &value), 2);
    EXPECT_EQ(XmlQueryFloatAttribute(emission, "missing", &value), 1);
    EXPECT_EQ(value, -7.0f);

    EXPECT_EQ(XmlReadVector3(emission, "minvel"), Vector3(-1.0f, 2.5f, 3.0f));
    EXPECT_EQ(XmlReadVector3(emission, "maxvel"), Vector3(4.0f, 0.0f, 6.0f)); // y missing: 0
    EXPECT_EQ(XmlReadVector3(emission, "nochild"), Vector3());                // no child: 0
    EXPECT_EQ(XmlReadVector3(nullptr, "minvel"), Vector3());

    EXPECT_EQ(XmlElementText(XmlFindChildElement(system, "TECHNIQUE")), "Phong1Opaque");
    EXPECT_EQ(XmlElementText(XmlFindChildElement(system, "NAME")), "two words");
    EXPECT_EQ(XmlElementText(emission), "");
    EXPECT_EQ(XmlElementText(nullptr), "");
}

TEST(XmlHelpers, TrimsTextWhateverTheDocumentMode)
{
    TempFile file(kParticles, ".xml");
    tinyxml2::XMLDocument doc; // white space preserved
    ASSERT_EQ(doc.LoadFile(file.Path().c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* system = XmlFindChildElement(doc.RootElement(), "SYSTEM");
    EXPECT_EQ(XmlElementText(XmlFindChildElement(system, "TECHNIQUE")), "Phong1Opaque");
    EXPECT_EQ(XmlElementText(XmlFindChildElement(system, "NAME")), "two words");
}

TEST(XmlHelpers, BrokenFilesAreRefusedWithoutHarm)
{
    const char* broken[] = {
        "<PARTICLES><SYSTEM name=\"x\"><EMISSION></SYSTEM>", // mismatched tags
        "<PARTICLES",                                        // truncated
        "",                                                  // empty
        "\x01\x02\x03 not xml",
    };
    for (const char* text : broken) {
        TempFile file(text, ".xml");
        tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE);
        EXPECT_NE(doc.LoadFile(file.Path().c_str()), tinyxml2::XML_SUCCESS) << text;
        // The helpers stay safe on whatever the failed document holds.
        const tinyxml2::XMLElement* root = doc.RootElement();
        EXPECT_EQ(XmlReadVector3(XmlFindChildElement(root, "SYSTEM"), "minvel"), Vector3());
        float value = 1.0f;
        EXPECT_EQ(XmlQueryFloatAttribute(root, "rate", &value), 1);
    }
}
