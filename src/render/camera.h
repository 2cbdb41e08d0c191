// The fixed perspective camera and the one rule by which the matrices combine: every
// "vTransform" uniform holds projection x view x model.
#pragma once

#include <glm/glm.hpp>

using Mat4 = glm::mat4;

// The window's size as it opens, which the projection starts with.
constexpr int StartWidth = 960;
constexpr int StartHeight = 720;

// Main thread only, like the GL context.
extern Mat4 ProjectionMatrix;
extern Mat4 ViewMatrix;
// Scratch for the drawers: each draw builds it, and between frames it holds what the last
// draw left.
extern Mat4 ModelMatrix;

// The perspective projection of a window of the given size.
Mat4 PerspectiveFor(int width, int height);

// Projection x view x model, multiplied in that order.
inline Mat4 TransformOf(const Mat4& model) {
    return (ProjectionMatrix * ViewMatrix) * model;
}

// Loads TransformOf(ModelMatrix) into the "vTransform" uniform at the location, on the
// program in use.
void UploadTransform(int location);

// Whether the window, as the last resize left it, fits the GL's largest viewport; no frame is
// drawn while it does not. Main thread only.
extern bool WindowDrawable;

// Follows a window resize: the viewport, the projection, both programs' transforms, and
// WindowDrawable.
void ResizeViewport(int width, int height);
