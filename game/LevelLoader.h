// The stage flow: reading a stage file into the World, the fixed set-up each
// stage adds to what its file holds, the try-again reload, and writing the
// running stage back in the same format when the editor saves. The loader is
// the one writer of the current stage number (core/Stage.h), which every
// layer reads with CurrentStage().
//
// A load asked for while the World's scene objects are being updated (the
// stage exit is one of them) waits until their loop is over, then runs in the
// same frame, before anything is drawn: the load clears every scene object,
// the asking one included.
#pragma once

#include <string>

#include "core/EventObj.h"

struct LevelHeader;
struct Vector3;

class LevelLoader : public fEventObj
{
public:
    // Subscribes to the try-again message. Building and deleting a loader
    // both leave the current stage (core/Stage.h) at none.
    LevelLoader();
    ~LevelLoader() override;

    void SubscribeMessages() override;
    // The try-again menu's "yes" (message 9) while that menu is on top:
    // close it, mouse look on, and the same stage again.
    void HandleMessage(int id, fMessage* msg) override;

    // Clears the World and builds the stage of the named file in the levels folder.
    void LoadLevel(const std::string& name);
    // Runs the load asked for while the World was updating, if any.
    void RunPendingLoad();
    bool HasPendingLoad() const { return !pendingLevel.empty(); }

    // Writes the running stage over its level file; only while the editor is
    // on, and only when the stage is its file read whole (a file that did not
    // open, a refused stage number or a reading stopped at a bad record would
    // lose what the load did not read) and the text written reads back whole.
    // A save refused is reported and leaves the file as it was.
    void SaveLevel();
    // The type's name line: its name and the running counter.
    void WriteObjectTypeName(int type);
    // False for the types a stage's set-up or another object builds: the
    // writer leaves them out, since loading the file builds them again.
    static bool SavesType(int type);

    std::string GetLevelName() const { return levelName; }
    std::string GetLevelFileName() const { return levelFile; }
    std::string GetMeshFileName() const { return meshFile; }
    std::string GetHeightmapFileName() const { return heightmapFile; }

private:
    // The stage's level, mesh and heightmap file names; any other number
    // leaves them as they were.
    void SetStageFiles();
    // The content every stage has that its file does not describe.
    void SetupStage();
    void ReadLevelFile(const std::string& name, bool& stageValid);
    void PlaceCamera(const LevelHeader& header);
    // A record's first lines, the same for every kind: the tag, the name
    // line, the type, the texture (triggers have none) and the pose.
    void WriteRecordStart(const char* kind, int type, const int* texture, const Vector3& position,
                          const Vector3& scale);
    void SaveObjects();
    void SaveSceneObjects();
    void SaveTriggers();
    // Reports why the save writes nothing.
    void RefuseSave(const std::string& why) const;
    // True when the stage log's text reads back whole; reported otherwise.
    bool SavedTextReadsBack() const;

    int counter = 0;
    std::string levelName;
    std::string levelFile;
    std::string meshFile;
    std::string heightmapFile;
    // The load a scene object asked for during the World's update.
    std::string pendingLevel;
    // Why the running stage is not its level file read whole; empty once the
    // last load read every record of a stage file.
    std::string notReadWhole = "no level file was read";
};

extern LevelLoader* gLevelLoader;
