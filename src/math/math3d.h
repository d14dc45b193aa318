// 4x4 matrices indexed [row][column], points as column vectors, translation in column 3.
#pragma once

struct object; // scene/scene.h

extern float cameramatrix[4][4];

void putidentityinmatrix(float m[4][4]);
// m := cameramatrix * m
void addcameratomatrix(float m[4][4]);
// destpoints := m applied to points: positions affine, normals by the 3x3 part.
void muldestcoordswithrotmat(object *o, float m[4][4]);
// m := Ry(angle) * m on columns 0..2 of rows 0 and 2.
void addytomatrix(float m[4][4], int angle, const float *sintable, const float *costable);
