// One frame drawn two ways on the same llvmpipe context: through the Direct3D 9
// stand-in (an effect, 300 mesh instances, a chain of ten full-screen passes)
// and through plain OpenGL written directly with the same shaders and the same
// number of draws. Prints the CPU time per frame of each and their ratio.
#include <d3d9.h>
#include <d3dx9.h>

#include "BenchTiming.h"
#include "ReferenceFrame.h"
#include "d3d9_egl.h"
#include "d3d9_host.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kWidth = 320;
constexpr UINT kHeight = 240;
constexpr int kFrames = 150;

using bench::Clock;

struct Timing
{
    double submitMs = 0; // issuing the frame's commands
    double frameMs = 0;  // until the frame is finished
};

// ------------------------------------------------------------------ plain GL

GLuint Compile(GLenum stage, const std::string& text)
{
    const GLuint s = glCreateShader(stage);
    const char* source = text.c_str();
    glShaderSource(s, 1, &source, nullptr);
    glCompileShader(s);
    GLint ok = 0;
    glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(s, sizeof log, nullptr, log);
        std::fprintf(stderr, "%s\n", log);
    }
    return s;
}

GLuint Link(const std::string& vertex, const std::string& fragment)
{
    const GLuint p = glCreateProgram();
    const GLuint vs = Compile(GL_VERTEX_SHADER, vertex), fs = Compile(GL_FRAGMENT_SHADER, fragment);
    glAttachShader(p, vs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(fs);
    return p;
}

class DirectFrame
{
public:
    void Init()
    {
        const std::string header = "#version 330 core\n";
        const std::string uniforms =
            "uniform mat4 mWorld; uniform mat4 mViewProjection; uniform vec4 DiffCol; uniform vec3 LightDir;\n"
            "uniform vec2 g_avSampleOffsets[4]; uniform float Gain; uniform sampler2D Source;\n";
        meshProgram_ =
            Link(header + uniforms + "layout(location = 0) in vec4 iPosition; layout(location = 1) in vec3 iNormal;\n" +
                     kMeshVertex,
                 header + uniforms + "out vec4 oColor;\n" + kMeshFragment);
        filterProgram_ =
            Link(header + "layout(location = 0) in vec4 iPosition; layout(location = 2) in vec4 iTexCoord0;\n"
                          "uniform vec4 lvViewport; out vec2 uv;\n"
                          "void main() { gl_Position = vec4((iPosition.x + 0.5) * 2.0 / lvViewport.z - 1.0,"
                          " (iPosition.y + 0.5) * 2.0 / lvViewport.w - 1.0, iPosition.z, 1.0);"
                          " uv = iTexCoord0.xy; }\n",
                 header + uniforms + "in vec2 uv; out vec4 oColor;\n" + kPassFragment);
        worldLocation_ = glGetUniformLocation(meshProgram_, "mWorld");
        glUseProgram(meshProgram_);
        const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        glUniformMatrix4fv(glGetUniformLocation(meshProgram_, "mViewProjection"), 1, GL_FALSE, identity);
        glUniform4f(glGetUniformLocation(meshProgram_, "DiffCol"), 0.8f, 0.6f, 0.3f, 1.f);
        glUniform3f(glGetUniformLocation(meshProgram_, "LightDir"), 0.f, 0.8f, 0.6f);
        glUseProgram(filterProgram_);
        glUniform4f(glGetUniformLocation(filterProgram_, "lvViewport"), 0, 0, float(kWidth), float(kHeight));
        glUniform1i(glGetUniformLocation(filterProgram_, "Source"), 0);
        const float offsets[8] = {-1.f / kWidth, 0, 1.f / kWidth, 0, 0, -1.f / kHeight, 0, 1.f / kHeight};
        glUniform2fv(glGetUniformLocation(filterProgram_, "g_avSampleOffsets"), 4, offsets);
        gainLocation_ = glGetUniformLocation(filterProgram_, "Gain");

        const Mesh mesh = Cube();
        indexCount_ = GLsizei(mesh.indices.size());
        glGenVertexArrays(1, &vao_);
        glBindVertexArray(vao_);
        glGenBuffers(1, &vb_);
        glGenBuffers(1, &ib_);
        glGenBuffers(1, &quadBuffer_);
        glBindBuffer(GL_ARRAY_BUFFER, vb_);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mesh.vertices.size() * sizeof(Vertex)), mesh.vertices.data(),
                     GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib_);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(mesh.indices.size() * 2), mesh.indices.data(), GL_STATIC_DRAW);
        glGenRenderbuffers(1, &depth_);
        glBindRenderbuffer(GL_RENDERBUFFER, depth_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kWidth, kHeight);
        for (int i = 0; i < 3; ++i) {
            glGenTextures(1, &textures_[i]);
            glBindTexture(GL_TEXTURE_2D, textures_[i]);
            glTexImage2D(GL_TEXTURE_2D, 0, i == 2 ? GL_RGBA8 : GL_RGBA16F, kWidth, kHeight, 0, GL_RGBA, GL_FLOAT,
                         nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glGenFramebuffers(1, &framebuffers_[i]);
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[i]);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures_[i], 0);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
        }
        for (int i = 0; i < kInstances; ++i) InstanceWorld(i, &worlds_[size_t(i) * 16]);
    }

    void Frame()
    {
        glBindVertexArray(vao_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[0]);
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(20 / 255.f, 30 / 255.f, 50 / 255.f, 1.f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glUseProgram(meshProgram_);
        glBindBuffer(GL_ARRAY_BUFFER, vb_);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib_);
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        glDisableVertexAttribArray(2);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
        for (int i = 0; i < kInstances; ++i) {
            glUniformMatrix4fv(worldLocation_, 1, GL_FALSE, &worlds_[size_t(i) * 16]);
            glDrawElements(GL_TRIANGLES, indexCount_, GL_UNSIGNED_SHORT, nullptr);
        }
        glDisable(GL_DEPTH_TEST);
        glUseProgram(filterProgram_);
        glDisableVertexAttribArray(1);
        glEnableVertexAttribArray(2);
        for (int pass = 0; pass < kPasses; ++pass) {
            const int from = pass % 2, to = pass == kPasses - 1 ? 2 : 1 - from;
            glBindFramebuffer(GL_FRAMEBUFFER, framebuffers_[to]);
            glBindTexture(GL_TEXTURE_2D, textures_[from]);
            glUniform1f(gainLocation_, pass == kPasses - 1 ? 1.5f : 1.f);
            const float w = float(kWidth), h = float(kHeight);
            const float q[24] = {-0.5f, -0.5f,    0.5f, 1, 0, 0, w - 0.5f, -0.5f,    0.5f, 1, 1, 0,
                                 -0.5f, h - 0.5f, 0.5f, 1, 0, 1, w - 0.5f, h - 0.5f, 0.5f, 1, 1, 1};
            glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
            glBufferData(GL_ARRAY_BUFFER, sizeof q, nullptr, GL_STREAM_DRAW);
            glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof q, q);
            glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 24, nullptr);
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<void*>(16));
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        }
    }

    void Release()
    {
        glDeleteProgram(meshProgram_);
        glDeleteProgram(filterProgram_);
        glDeleteBuffers(1, &vb_);
        glDeleteBuffers(1, &ib_);
        glDeleteBuffers(1, &quadBuffer_);
        glDeleteVertexArrays(1, &vao_);
        glDeleteTextures(3, textures_);
        glDeleteFramebuffers(3, framebuffers_);
        glDeleteRenderbuffers(1, &depth_);
    }

private:
    GLuint meshProgram_ = 0, filterProgram_ = 0, vao_ = 0, vb_ = 0, ib_ = 0, quadBuffer_ = 0, depth_ = 0;
    GLuint textures_[3] = {}, framebuffers_[3] = {};
    GLint worldLocation_ = -1, gainLocation_ = -1;
    GLsizei indexCount_ = 0;
    float worlds_[kInstances * 16];
};

template <class Draw>
void TimeFrame(Draw&& draw, std::vector<double>& submit, std::vector<double>& frame)
{
    const Clock::time_point start = Clock::now();
    draw();
    const Clock::time_point issued = Clock::now();
    glFinish();
    const Clock::time_point done = Clock::now();
    submit.push_back(bench::Milliseconds(start, issued));
    frame.push_back(bench::Milliseconds(start, done));
}

// The two paths take turns frame by frame, so that load from other processes
// on a shared machine falls on both alike; medians drop the odd hiccup.
template <class A, class B>
void Measure(A&& a, B&& b, Timing& ta, Timing& tb)
{
    std::vector<double> submitA, frameA, submitB, frameB;
    for (int i = 0; i < kFrames; ++i) {
        TimeFrame(a, submitA, frameA);
        TimeFrame(b, submitB, frameB);
    }
    ta = {bench::Median(submitA), bench::Median(frameA)};
    tb = {bench::Median(submitB), bench::Median(frameB)};
}

} // namespace

int main()
{
    LvEglContext* context = LvEgl_Create(true);
    if (!context) {
        std::printf("no OpenGL 3.3 context: benchmark skipped\n");
        return 0;
    }
    StandInFrame standIn(kWidth, kHeight);
    if (!standIn.Init()) return 1;
    DirectFrame direct;
    direct.Init();
    for (int i = 0; i < 10; ++i) { // warm both paths: shader variants, buffer storage
        standIn.Frame();
        direct.Frame();
    }
    glFinish();
    Timing a, b;
    Measure([&] { standIn.Frame(); }, [&] { direct.Frame(); }, a, b);
    std::printf("frame: %d instances with one effect, %d full-screen passes, %ux%u, %s\n", kInstances, kPasses, kWidth,
                kHeight, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("CPU time to issue a frame: stand-in %.3f ms, direct GL %.3f ms, ratio %.2f (target <= 1.30)\n",
                a.submitMs, b.submitMs, a.submitMs / b.submitMs);
    std::printf("whole frame (to glFinish): stand-in %.3f ms, direct GL %.3f ms, ratio %.2f\n", a.frameMs, b.frameMs,
                a.frameMs / b.frameMs);
    direct.Release();
    standIn.Release();
    LvEgl_Destroy(context);
    return 0;
}
