// Drawing the tree from its mesh leaves OpenGL as the frame expects it: what the overlay
// and the next frame draw must not inherit arrays, buffers, colour tracking or tests.
#include <gtest/gtest.h>

#include "RenderTestSupport.h"
#include "mesh/FrameStats.h"
#include "model/TreeSession.h"
#include "render/GlContextState.h"
#include "render/TreeDrawing.h"

TEST_F(RenderTest, MeshPassesRestoreTheStateBetweenDrawingRoutines) {
    TreeSession session(params, 2);
    session.Regrow();
    const TreeModel& model = session.model();
    for (TreeDrawMode mode : {TreeDrawMode::Buffers, TreeDrawMode::VertexArrays}) {
        gl.state().drawMode = mode;
        glTranslatef(0.0f, -3.0f, 0.0f);
        const Mat4 before = Mat4::FromGl(GL_MODELVIEW_MATRIX);
        FrameStats stats = DrawTreeShadow(model, params, 30.0f, gl.state());
        stats += DrawTree(model, params, gl.state());
        EXPECT_EQ(Mat4::FromGl(GL_MODELVIEW_MATRIX).m, before.m);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        for (GLenum cap : {GL_BLEND, GL_ALPHA_TEST, GL_COLOR_MATERIAL, GL_VERTEX_ARRAY,
                           GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY}) {
            EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
        }
        GLint buffer = -1;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
        EXPECT_EQ(buffer, 0);
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &buffer);
        EXPECT_EQ(buffer, 0);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0] + colour[1] + colour[2] + colour[3], 4.0f);
        EXPECT_EQ(gl.state().treeMesh.inBuffers, mode == TreeDrawMode::Buffers);
        // Two passes over the same structure, nothing drawn twice or left out.
        const ModelCounts c = CountModel(model);
        EXPECT_EQ(stats.nodes, 2 * c.records());
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}
