#pragma once

// "Ставить уверенные ссылки без вопросов": whether opening a document places only the links the
// analysis is certain of, asks nothing, and leaves the rest to the review list. Kept under
// Review/WithoutQuestions; read with the system-wide settings as fallback, so an administrator
// may preset it, and written only when the person changes it.

bool ReviewWithoutQuestions();
void SetReviewWithoutQuestions(bool on);
